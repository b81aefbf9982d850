#!/usr/bin/env bash
# Builds the Debian package (npc-editor_<version>_<arch>.deb in build/), checks that it holds the
# programs and declares the libraries they need, and lists its contents and dependencies.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NPC_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
rm -f "$build"/npc-editor_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
package=$(ls "$build"/npc-editor_*.deb)
depends=$(dpkg-deb --field "$package" Depends)
contents=$(dpkg-deb --contents "$package" | awk '{print $6}')
for needed in libqt6widgets6 libchm1 qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || { echo "package: $needed is not a dependency" >&2; exit 1; }
done
for file in ./usr/bin/npc-editor ./usr/bin/npc-export ./usr/share/npc-editor/maps.ini; do
    grep -qxF "$file" <<<"$contents" || { echo "package: $file is missing" >&2; exit 1; }
done
dpkg-deb --field "$package" Package Version Depends Recommends
grep -v -e '/npcs/.' -e '/$' <<<"$contents"
echo "$package"
