#!/usr/bin/env python3
"""Writes data/item_db.txt, the sample item catalogue the editor ships, from the server's own
item_db.txt: the items the sample already holds, plus the first items of the given sections of the
server's file, each line exactly as the server writes it (the catalogue reads the database name,
the type and the weight from there), in the server's order under its section headings.

    python3 scripts/make-item-db.py ../shared/data/eathena/item_db.txt

The play-test needs items of every kind the server stacks differently: weapons and armour are in
the sample already, pet eggs and pet accessories come from ADDED_SECTIONS. Run it again with more
sections when the sample should hold more; the output is the same on every run.
"""
import re
import sys
from pathlib import Path

# Section heading of the server's file -> how many of its first items the sample takes.
ADDED_SECTIONS = {"// Pet Eggs": 8, "// Pet Accessories": 8}

ITEM = re.compile(r"^(?://)?(\d+),")
HEADER_LINES = 5


def item_id(line):
    match = ITEM.match(line)
    return int(match.group(1)) if match else None


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-item-db.py SERVER/item_db.txt")
    server = Path(sys.argv[1]).read_text(encoding="latin-1").splitlines()
    out = Path(__file__).resolve().parent.parent / "data" / "item_db.txt"
    wanted = {line for line in out.read_text(encoding="latin-1").splitlines() if item_id(line) is not None}
    lines, heading, left = server[:HEADER_LINES], [], 0
    for number, line in enumerate(server[HEADER_LINES:], HEADER_LINES):
        if item_id(line) is None:
            if line.startswith("// ") and line in ADDED_SECTIONS:
                left = ADDED_SECTIONS[line]
            elif line.startswith("// "):
                left = 0
            # A heading with a "//===" rule under it opens a main section, which the sample keeps
            # even when it holds none of its items; a sub-heading only shows above its items.
            ruled = number + 1 < len(server) and server[number + 1].startswith("//===")
            if line.startswith("//===") or ruled:
                lines.append(line)
                heading = []
            elif line.startswith("// "):
                heading = [line]
            continue
        added = left > 0 and not line.startswith("//")
        left -= added
        if line in wanted or added:
            lines += heading + [line]
            heading = []
    out.write_text("\n".join(lines) + "\n", encoding="latin-1", newline="\n")
    print(f"{out.name}: {sum(not line.startswith('/') for line in lines)} items")


if __name__ == "__main__":
    main()
