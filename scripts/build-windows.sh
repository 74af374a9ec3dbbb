#!/usr/bin/env bash
# Cross-builds the Windows x64 plug-in, build-windows/Kelvox2.dll, and its test
# programs with mingw-w64 (cmake/mingw-w64-x86_64.cmake); installs the Debian
# packages that are missing. Extra arguments go to CMake.
# scripts/test-windows.sh runs the tests under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --windows-build
cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" "$@"
cmake --build build-windows -j2
echo "build-windows: $PWD/build-windows/Kelvox2.dll, $PWD/build-windows/Kelvox2.clap"
