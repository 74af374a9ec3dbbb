#!/usr/bin/env bash
# Instructions per sample frame of the audio callback, patch by patch: the
# figure that machine load does not move. Plays the bench phrase through
# `kelvox2 bench` under callgrind, counting only inside processReplacing.
#   bench/instrument/instructions_per_sample.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-5}
command -v valgrind >/dev/null || { echo "needs valgrind" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for patch in default saw3 glide detuned everything; do
  valgrind --tool=callgrind --callgrind-out-file="$work/out" \
    --toggle-collect='kx::AudioEffect::processReplacingClass*' \
    "$build/kelvox2" bench "$build/Kelvox2.so" --patch "$patch" --seconds "$seconds" --rounds 1 \
    >"$work/bench" 2>/dev/null
  # One warm-up round and one timed round, each of the phrase plus its tail.
  audio=$(grep -oE 'rounds of [0-9.]+ s' "$work/bench" | grep -oE '[0-9.]+ s' | grep -oE '[0-9.]+')
  instructions=$(grep -E '^(summary|totals):' "$work/out" | head -1 | awk '{print $2}')
  awk -v p="$patch" -v i="$instructions" -v a="$audio" \
    'BEGIN { printf "%-10s %8.1f instructions per sample\n", p, i / (a * 44100 * 2) }'
done
