#!/usr/bin/env python3
"""Checks the layout rules of the source folders: which folder includes which forms no cycle, and
script/ uses the standard library only (no Qt). Prints each folder's dependencies; exits 1 with the
reason when a rule is broken."""
import os
import re
import sys

FOLDERS = ["script", "platform", "catalogue", "model", "document", "check", "output", "play",
           "import", "workspace", "lsp", "ui", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+[<"]([^">]+)[">]', re.M)


def main(root):
    uses = {folder: set() for folder in FOLDERS}
    problems = []
    for folder in FOLDERS:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in names:
                if not name.endswith((".cpp", ".h", ".inc")):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="latin-1") as f:
                    text = f.read()
                for included in INCLUDE.findall(text):
                    head = included.split("/")[0]
                    if head in uses and head != folder:
                        uses[folder].add(head)
                    if folder == "script" and included.startswith("Q"):
                        problems.append(f"{path}: script/ includes Qt ({included})")
    for folder in FOLDERS:
        print(f"{folder}: {' '.join(sorted(uses[folder])) or '-'}")
    # A cycle: a folder that reaches itself through the folders it uses.
    for start in FOLDERS:
        seen, todo = set(), list(uses[start])
        while todo:
            folder = todo.pop()
            if folder == start:
                problems.append(f"include cycle through {start}/")
                break
            if folder not in seen:
                seen.add(folder)
                todo.extend(uses[folder])
    for problem in problems:
        print("layout: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
