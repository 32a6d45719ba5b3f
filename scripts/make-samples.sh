#!/usr/bin/env bash
# Writes the sample images of examples/ anew from the option pages' defaults
# (preset "default", build/). tests/samples fails while a sample is out of
# date.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target quillmar_make_samples >/dev/null
mkdir -p examples
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} ./build/tests/samples/quillmar_make_samples examples
