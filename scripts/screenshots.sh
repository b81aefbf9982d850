#!/usr/bin/env bash
# Renders the editor's main windows offscreen on the sample catalogues and saves them as
# docs/main-window.png, docs/output-window.png, docs/sprite-browser.png,
# docs/condition-editor.png, docs/play-test-window.png, docs/problems-window.png,
# docs/script-file-window.png and docs/imported-npc.png. The pictures
# are drawn with the real windows, a small healer NPC built through the task tree window, an NPC
# imported from a script, and the Liberation fonts (fonts-liberation).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NPC_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target ui_tests stage-data --parallel "${NPC_JOBS:-2}"
mkdir -p "$root/docs"
cd "$build/tests"
NPC_SCREENSHOT_DIR="$root/docs" QT_QPA_PLATFORM=offscreen ./ui_tests --gtest_filter='Screenshots.*' --gtest_brief=1
ls -l "$root"/docs/*.png
