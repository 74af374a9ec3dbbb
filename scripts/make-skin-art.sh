#!/usr/bin/env bash
# Redraws the default skin's images into src/data/files/ with the skin-art
# generator. Pass a folder to also get previews of both pages there:
#   scripts/make-skin-art.sh [PREVIEW_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target skin-art
mkdir -p src/data/files
if [[ $# -gt 0 ]]; then
  mkdir -p "$1"
  build/tools/skin-art/skin-art --preview "$1"
else
  build/tools/skin-art/skin-art
fi
