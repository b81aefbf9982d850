#!/usr/bin/env bash
# Configures and builds the editor, the exporter, the tests and the staged data in build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths below the checkout are hashed relative to it, so another clone (CI's) reuses the cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
# Debug information would otherwise tie each cached object to the folder it was built in.
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
build=${NPC_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
