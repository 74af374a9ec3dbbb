#!/usr/bin/env bash
# The engine on another processor: its sources and kx_engine_phrases
# cross-built for aarch64 (where GCC would otherwise fuse multiply-adds, and
# none of the x86 lanes exist) and run under qemu-aarch64; the samples must be
# the native build's, byte for byte.
# Arguments: SOURCE_DIR NATIVE_PHRASES WORK_DIR
set -euo pipefail
source_dir=$1 native=$2 work=$3
for tool in aarch64-linux-gnu-g++ qemu-aarch64; do
  command -v "$tool" >/dev/null || { echo "compare_aarch64: $tool missing (bash scripts/install-deps.sh)" >&2; exit 1; }
done
mkdir -p "$work"
aarch64-linux-gnu-g++ -std=c++20 -O2 -ffp-contract=off -fno-fast-math -fno-trapping-math -static \
  -I"$source_dir/src" "$source_dir"/src/engine/*.cpp "$source_dir/tests/crossmachine/engine_phrases.cpp" \
  -o "$work/engine_phrases_aarch64"
"$native" >"$work/native.raw"
qemu-aarch64 "$work/engine_phrases_aarch64" >"$work/aarch64.raw"
if cmp -s "$work/native.raw" "$work/aarch64.raw"; then
  echo "aarch64: $(($(stat -c %s "$work/native.raw") / 8)) samples equal bit for bit"
else
  echo "aarch64: the samples differ ($(cmp "$work/native.raw" "$work/aarch64.raw" | head -1))"
  exit 1
fi
