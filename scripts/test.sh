#!/usr/bin/env bash
# Sets up, builds and runs every test, headless: once in the normal build (with the install test
# and the Debian package), once more in a build with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer, where any report fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths below the checkout are hashed relative to it, so another clone (CI's) reuses the cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
# Debug information would otherwise tie each cached object to the folder it was built in.
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
# The precompiled header (npcui's) is cached, and the files that use it hit, only with these.
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

"$root/scripts/build.sh"
(cd "$root/build" && ctest --output-on-failure --parallel "$jobs" --timeout 300)
# The Debian package builds and declares what the programs need.
"$root/scripts/package.sh" >/dev/null

# The model tests once more under a locale that writes numbers with a decimal comma: no result
# may depend on the user's regional settings.
comma_locale=$(locale -a 2>/dev/null | grep -ix 'de_DE\.utf-\?8' | head -n 1 || true)
if [[ -n $comma_locale ]]; then
    (cd "$root/build/tests" && LANG=$comma_locale LC_ALL=$comma_locale ./model_tests --gtest_brief=1)
else
    echo "test: skipping the model tests under a decimal-comma locale: de_DE.UTF-8 is not installed" >&2
fi

sanitized=$root/build-sanitize
cmake -S "$root" -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNPC_SANITIZE=ON \
    -DNPC_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$sanitized" --parallel "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
(cd "$sanitized" && ctest --output-on-failure --parallel "$jobs" --timeout 600)
