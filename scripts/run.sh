#!/usr/bin/env bash
# Sets up, builds and starts the editor on the sample catalogues shipped in data/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
cd "$root/build/data"
exec "$root/build/npc-editor"
