#!/usr/bin/env bash
# Configures and builds the editor, the exporter, the tests and the staged data in build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths below the checkout are hashed relative to it, so another clone (CI's) reuses the cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
# Debug information would otherwise tie each cached object to the folder it was built in.
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
# The precompiled header (npcui's) is cached, and the files that use it hit, only with these.
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
build=${NPC_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
