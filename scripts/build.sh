#!/usr/bin/env bash
# Configures and builds the release tree in build/ (plug-in, tool, tests, benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build build -j2
