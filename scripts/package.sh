#!/usr/bin/env bash
# Builds the Debian package (npc-editor_<version>_<arch>.deb in build/) and lists what it installs
# and what it depends on.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NPC_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls -t "$build"/npc-editor_*.deb | head -n 1)
dpkg-deb --field "$package" Package Version Depends Recommends
dpkg-deb --contents "$package" | awk '{print $6}' | grep -v '/npcs/.' | grep -v '/$'
echo "$package"
