#!/usr/bin/env bash
# Installs what is missing, builds, and renders the demo piece to build/demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DKX_TESTS=OFF -DKX_BENCH=OFF
./build/kelvox2 render ./build/Kelvox2.so demo/demo.mid build/demo.wav --fxp demo/demo.fxp
echo "demo: rendered $(pwd)/build/demo.wav"
