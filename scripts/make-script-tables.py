#!/usr/bin/env python3
"""Writes script/ServerTables.cpp: each server's command table, map names, script constants, map
flags, view names and shipped global functions, in
the program's own compact form (one entry a line inside string literals).

Run once when the server data changes, from the top of the checkout, with the folder holding the
servers' data (eathena/, rathena/, hercules/) as its argument; commit the result."""
import re
import sys
from pathlib import Path

data = Path(sys.argv[1])
out = Path(__file__).resolve().parent.parent / "script" / "ServerTables.cpp"

SERVERS = {"eathena": "EAthena", "rathena": "RAthena", "hercules": "Hercules"}

# The character parameters Hercules registers in its source (script_load_parameters), not in
# db/constants.conf. Type 1 as in eAthena's const.txt.
HERCULES_PARAMETERS = (
    "BaseExp JobExp Karma Manner Hp MaxHp Sp MaxSp StatusPoint BaseLevel SkillPoint Class Zeny Sex "
    "NextBaseExp NextJobExp Weight MaxWeight JobLevel Upper BaseJob BaseClass killerrid killedrid "
    "SlotChange CharRename ModExp ModDrop ModDeath BaseThird"
).split()

# The enumerations Hercules registers from its source code (weapon and ammunition types, equip
# positions, instance results and the like) have the names rAthena exports for the same enums:
# Hercules' constants are the names of its constants.conf and npc_views plus rAthena's names of
# these groups (taken from rAthena's table when the program starts, not written twice).
HERCULES_SOURCE_GROUPS = ("W_", "EQP_", "IE_", "MAX_", "Option_", "SCSTART_", "PACKETVER")
# Its ammunition types (enum ammo_type from 1), which rAthena exports as AMMO_*.
HERCULES_AMMO = "A_ARROW A_DAGGER A_BULLET A_SHELL A_GRENADE A_SHURIKEN A_KUNAI A_CANNONBALL A_THROWWEAPON".split()

# The flag names eAthena's npc_parse_mapflag (src/map/npc.c) compares w3 with; any other name is
# "unrecognized mapflag". Its source is not part of the data folder, so the list is kept here.
EATHENA_MAPFLAGS = (
    "nosave autotrade allowks town nomemo noteleport nowarp nowarpto noreturn monster_noteleport nobranch "
    "nopenalty pvp pvp_noparty pvp_noguild pvp_nightmaredrop pvp_nocalcrank gvg gvg_noparty gvg_dungeon "
    "gvg_castle battleground noexppenalty nozenypenalty notrade novending nodrop noskill noicewall snow "
    "clouds clouds2 fog fireworks sakura leaves rain nightenabled nogo noexp nobaseexp nojobexp noloot "
    "nomobloot nomvploot nocommand restricted jexp bexp loadevent nochat partylock guildlock"
).split()


def lines(server, name):
    return (data / server / name).read_text(encoding="latin-1").splitlines()


def commands(server):
    rows = []
    for line in lines(server, "script_commands.txt"):
        if line.strip():
            name, _, pattern = line.partition("\t")
            rows.append(f"{name}\t{pattern}")
    return rows


def maps(server):
    rows = []
    for line in lines(server, "map_index.txt"):
        if line.strip() and not line.startswith("//"):
            rows.append(line.split()[0])
    return rows


def eathena_constants():
    rows = []
    for line in lines("eathena", "const.txt"):
        if not line.strip() or line.startswith("//"):
            continue
        # The server reads name, value and type apart by any run of blanks or a comma.
        fields = re.split(r"[\s,]+", line.strip())
        if len(fields) < 2:
            continue
        kind = fields[2] if len(fields) > 2 else "0"
        rows.append(f"{fields[0]}\t{fields[1]}\t{kind}")
    return rows


def number(text):
    """A C integer literal's value, or None for anything else (an enum name, an expression)."""
    text = text.strip().replace("_", "") if re.fullmatch(r"-?(0[xob])?[0-9A-Fa-f_]+", text.strip()) else text
    try:
        return int(text, 0)
    except ValueError:
        return None


def rathena_constants():
    """export_constant(NAME), export_constant2("Name", value), export_parameter("Name", SP_...),
    export_constant_npc(JT_NAME) (registered without its JT_ prefix) and the deprecated forms."""
    rows = []
    call = re.compile(r'^\s*export_(constant|constant2|constant_npc|parameter|deprecated_constant\d?)\((.*)\);')
    for line in lines("rathena", "script_constants.hpp"):
        m = call.match(line)
        if not m:
            continue
        kind, args = m.group(1), [a.strip() for a in m.group(2).split(",")]
        if kind in ("constant", "deprecated_constant"):
            name, value = args[0], None
        elif kind == "constant_npc":
            name, value = args[0][3:], None
        else:
            name, value = args[0].strip('"'), number(args[1]) if len(args) > 1 else None
        value = "" if value is None else str(value)
        rows.append(f"{name}\t{value}\t{1 if kind == 'parameter' else 0}")
    return rows


def hercules_constants():
    rows = {}
    entry = re.compile(r"^\t([A-Za-z0-9_]+):\s*(\{|[-0-9A-Fa-fxob_]+)")
    pending = None
    for line in lines("hercules", "constants.conf"):
        m = entry.match(line)
        if m and m.group(1) != "comment__":
            if m.group(2) == "{":
                pending = m.group(1)
                rows[pending] = ""
            else:
                value = number(m.group(2))
                rows[m.group(1)] = "" if value is None else str(value)
        elif pending and "Value:" in line:
            value = number(line.split("Value:")[1].split("//")[0])
            rows[pending] = "" if value is None else str(value)
            pending = None
    table = [f"{name}\t{value}\t0" for name, value in rows.items()]
    for line in lines("hercules", "npc_views.txt"):  # mostly constants.conf's own sprite names
        name, _, value = line.partition("\t")
        if line.strip() and name not in rows:
            table.append(f"{name}\t{value.strip()}\t0")
    table += [f"{name}\t\t1" for name in HERCULES_PARAMETERS]
    table += [f"{name}\t{value}\t0" for value, name in enumerate(HERCULES_AMMO, 1)]
    known = {row.split("\t")[0] for row in table}
    table += [row for row in item_names() if row.split("\t")[0] not in known]
    return table


def rathena_mapflags():
    """rAthena's npc_parse_mapflag looks a flag up as the script constant mf_<name> (any case):
    its flags are the MF_ constants of script_constants.hpp."""
    call = re.compile(r"^\s*export_constant\(MF_([A-Z0-9_]+)\);")
    return [m.group(1).lower() for line in lines("rathena", "script_constants.hpp") if (m := call.match(line))]


def item_names():
    """The database names of the items (Red_Potion): Hercules registers each as a script constant
    whose value is the item's ID when it reads its item database. eAthena's item_db.txt is the
    database the servers share; its names are Hercules' names of the same items."""
    rows = []
    for line in lines("eathena", "item_db.txt"):
        fields = line.split(",")
        if len(fields) > 2 and fields[0].strip().isdigit():
            rows.append(f"{fields[1].strip()}\t{int(fields[0])}\t0")
    return rows


def views():
    """The client's NPC view names and IDs (4_F_KAFRA1 117, CLEAR_NPC 844), as Hercules lists them."""
    return [line.strip() for line in lines("hercules", "npc_views.txt") if "\t" in line]


def shipped_functions(server):
    """The global functions (function<TAB>script<TAB>Name) of the server's own script files."""
    names = set()
    for path in sorted((data / server / "npc").rglob("*.txt")):
        for line in path.read_text(encoding="latin-1").splitlines():
            fields = line.split("\t")
            if len(fields) > 3 and fields[0].lower() == "function" and fields[1].lower() == "script":
                names.add(fields[2].strip())
    return sorted(names)


def literal(name, rows):
    body = []
    chunk = ""
    for row in rows:
        piece = row.replace("\\", "\\\\").replace('"', '\\"').replace("\t", "\\t") + "\\n"
        if len(chunk) + len(piece) > 96:
            body.append(f'    "{chunk}"')
            chunk = ""
        chunk += piece
    if chunk:
        body.append(f'    "{chunk}"')
    return f"const char* const {name} =\n" + "\n".join(body) + ";\n"


rathena = rathena_constants()
constants = {"eathena": eathena_constants(), "rathena": rathena, "hercules": hercules_constants()}
parts = [
    "// Generated by scripts/make-script-tables.py from the servers' public data; do not edit.\n",
    '#include "script/ServerTables.h"\n',
    "namespace script::tables {\n",
]
for key, name in SERVERS.items():
    parts.append(literal(f"{name}Commands", commands(key)))
for key, name in SERVERS.items():
    parts.append(literal(f"{name}Maps", maps(key)))
for key, name in SERVERS.items():
    parts.append(literal(f"{name}Constants", constants[key]))
parts.append(literal("HerculesSourceGroups", HERCULES_SOURCE_GROUPS))
parts.append(literal("EAthenaMapFlags", EATHENA_MAPFLAGS))
parts.append(literal("RAthenaMapFlags", rathena_mapflags()))
parts.append(literal("ViewConstants", views()))
for key, name in SERVERS.items():
    parts.append(literal(f"{name}Functions", shipped_functions(key)))
parts.append("} // namespace script::tables\n")
out.write_text("\n".join(parts), encoding="latin-1")
print(f"wrote {out}")
