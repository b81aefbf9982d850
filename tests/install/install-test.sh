#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the layout with the distribution's own
# validators, and starts the installed editor offscreen from another working directory on a
# project named on its command line: it must find the installed catalogues and open the project.
#   install-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
app_id=net.vask.npceditor

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
fail() { echo "install test: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (package $2; scripts/setup.sh installs it)"; }
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need update-mime-database shared-mime-info

cmake --install "$build" --prefix "$prefix" >/dev/null

programs=(npc-editor npc-export npc-lint npc-play npc-import npc-lsp)
for file in "${programs[@]/#/bin/}" share/npc-editor/help.chm \
    share/npc-editor/maps.ini share/npc-editor/jobs.ini share/npc-editor/npcs.ini \
    share/npc-editor/item_db.txt share/applications/$app_id.desktop \
    share/metainfo/$app_id.metainfo.xml share/mime/packages/$app_id.xml \
    share/icons/hicolor/scalable/apps/$app_id.svg share/doc/npc-editor/copyright; do
    [[ -f $prefix/$file ]] || fail "$file was not installed"
done
for program in "${programs[@]}"; do
    [[ -x $prefix/bin/$program ]] || fail "bin/$program is not executable"
done
bitmaps=$(find "$prefix/share/npc-editor/npcs" -name '*.bmp' | wc -l)
((bitmaps > 0)) || fail "no sprite bitmaps were installed"

# The licence: Debian's machine-readable notice, every placeholder filled in, and the same licence
# in the software-centre metadata.
copyright=$prefix/share/doc/npc-editor/copyright
head -n 1 "$copyright" | grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in Debian's machine-readable format"
grep -q '^Files: \*$' "$copyright" && grep -q '^License: GPL-3+$' "$copyright" ||
    fail "the copyright file does not put the program under GPL-3+"
! grep -q '@[A-Z_]*@' "$copyright" || fail "the copyright file holds an unfilled placeholder"
grep -qF '<project_license>GPL-3.0-or-later</project_license>' "$prefix/share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo does not name the licence GPL-3.0-or-later"

desktop-file-validate "$prefix/share/applications/$app_id.desktop"
# --no-net: the screenshots are named by their web address, which is not fetched here.
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate-tree --no-net "$prefix"

# The project file type: the desktop's MIME database must take the definition and its pattern.
update-mime-database "$prefix/share/mime" >"$scratch/mime.log" 2>&1 || fail "$(cat "$scratch/mime.log")"
mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$prefix/share/mime/packages/$app_id.xml")
grep -q ":$mime_type:\*\.npc$" "$prefix/share/mime/globs2" || fail "*.npc is not a $mime_type file"
# Script files (.txt) are text/plain: the editor is one more "Open With" entry for them, after
# its own project type.
grep -q "^MimeType=$mime_type;text/plain;$" "$prefix/share/applications/$app_id.desktop" ||
    fail "the desktop entry does not open $mime_type files and script files"

# Asked from a terminal without a window system, the editor still answers.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/npc-editor" --version |
    grep -q '^npc-editor [0-9]' || fail "npc-editor --version does not answer without windows"

# Started elsewhere, with an empty user data folder, the installed catalogues must be used.
work=$scratch/work
mkdir -p "$work/xdg"
cp "$source/tests/golden/project-every-kind.NPC" "$work/guide.NPC"
report=$(cd "$work" && QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$work/xdg XDG_RUNTIME_DIR=$scratch \
    "$prefix/bin/npc-editor" --startup-report guide.NPC 2>"$work/stderr") ||
    fail "the installed editor failed: $(cat "$work/stderr")"
echo "$report"
expect() { grep -qxF "$1" <<<"$report" || fail "expected the line \"$1\""; }
data=$(cd "$prefix/share/npc-editor" && pwd -P)
expect "catalogue folder: $data"
expect "help file: $data/help.chm"
expect "project: $(cd "$work" && pwd -P)/guide.NPC"
expect "tasks: 16"
grep -qE '^catalogues: [1-9][0-9]* maps, [1-9][0-9]* jobs, [1-9][0-9]* items, [1-9][0-9]* sprites$' \
    <<<"$report" || fail "the installed catalogues were not read"

# The exporter finds the same catalogues by itself as when it is told where they are.
(cd "$work" && XDG_DATA_HOME=$work/xdg "$prefix/bin/npc-export" -o found.txt guide.NPC) ||
    fail "the installed exporter failed"
"$prefix/bin/npc-export" --data "$data" -o "$work/told.txt" "$work/guide.NPC"
[[ -s $work/found.txt ]] && cmp -s "$work/found.txt" "$work/told.txt" ||
    fail "the installed exporter did not use the installed catalogues"
echo "install test: passed"
