#!/usr/bin/env bash
# Builds Quillmar (preset "default", build/) and starts it. Extra arguments go
# to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target Quillmar
exec ./build/app/Quillmar "$@"
