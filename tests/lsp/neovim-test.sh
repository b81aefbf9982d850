#!/usr/bin/env bash
# A real editor on npc-lsp: Neovim, headless, opens a file of rAthena's sample tree into which one of
# the server's broken variants was written, and must show what npc-lint reports for that file in
# its place in the server's load order, the error on the line where rAthena reported it.
#   neovim-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
data=$source/../shared/data/rathena
if [[ ! -d $data/npc ]]; then
    echo "neovim test: skipped: the servers' sample files ($data) are not there"
    exit 0
fi
command -v nvim >/dev/null || { echo "neovim test: nvim is missing (package neovim; scripts/setup.sh installs it)" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$data/npc" "$scratch/npc"
# The broken variant: a `mes` line that lost its `;`; rAthena says "expected ';'" a line later.
read -r file line server_line text < <(python3 - "$data/lint-cases/cases.jsonl" <<'PY'
import json, sys
for row in open(sys.argv[1]):
    case = json.loads(row)
    if case["change"] == "drop_semicolon" and case["edit"] == "replace":
        print(case["from"], case["line"], case["server_error_line"], json.dumps(case["text"]))
        break
PY
)
python3 - "$scratch/$file" "$line" "$text" <<'PY'
import json, sys
path, line, text = sys.argv[1], int(sys.argv[2]), json.loads(sys.argv[3])
with open(path, encoding="latin-1", newline="") as f:
    lines = f.read().split("\n")
lines[line - 1] = text + ("\r" if lines[line - 1].endswith("\r") else "")
with open(path, "w", encoding="latin-1", newline="") as f:
    f.write("\n".join(lines))
PY

(cd "$scratch" && "$build/npc-lint" --server rathena --load-order npc/load-order.txt >"$scratch/lint.txt" 2>/dev/null) || true
{ grep -F "$file:" "$scratch/lint.txt" || true; } | sed "s|^$file:||" | sort >"$scratch/expected.txt"

HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_STATE_HOME=$scratch/state \
    NPC_LSP_PROGRAM=$build/npc-lsp NPC_LSP_ROOT=$scratch NPC_LSP_FILE=$file NPC_LSP_OUT=$scratch/shown.txt \
    timeout 60 nvim --headless --clean -n -u NONE -c "luafile $source/tests/lsp/neovim.lua" >/dev/null 2>"$scratch/nvim.log" ||
    { cat "$scratch/nvim.log" >&2; echo "neovim test: nvim failed" >&2; exit 1; }

grep -q "^$server_line:[0-9]*: error: " "$scratch/shown.txt" ||
    { cat "$scratch/shown.txt" >&2; echo "neovim test: no error shown on line $server_line of $file" >&2; exit 1; }
diff -u "$scratch/expected.txt" "$scratch/shown.txt" ||
    { echo "neovim test: Neovim shows other diagnostics for $file than npc-lint reports" >&2; exit 1; }
echo "neovim test: $(wc -l <"$scratch/shown.txt") diagnostic(s) of $file shown as npc-lint reports them"
