#!/usr/bin/env bash
# Renders into build/screenshots/ (offscreen, no display needed):
#   main.png          the main dialog with the remembered (or given) chip type
#   about.png         the about box
#   page-<row>.png    the main dialog once per chip-type row 0..6, with that
#                     row's option page shown
# Usage: scripts/screenshot.sh [chip-type row] [status text]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target quillmar_screenshot >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} ./build/tests/app/quillmar_screenshot build/screenshots "$@"
