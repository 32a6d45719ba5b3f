#!/usr/bin/env bash
# Renders the main dialog and the about box into build/screenshots/main.png
# and about.png (offscreen, no display needed).
# Usage: scripts/screenshot.sh [chip-type row] [status text]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target quillmar_screenshot >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} ./build/tests/app/quillmar_screenshot build/screenshots "$@"
