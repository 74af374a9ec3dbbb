#!/usr/bin/env bash
# Runs every fuzz target for MINUTES minutes each, one after the other, under
# AddressSanitizer and UndefinedBehaviorSanitizer, and prints a summary:
# executions (this run and all runs so far), executions per second, coverage
# and corpus size per target.
#
# A target runs on every core (libFuzzer's fork mode, KX_FUZZ_FORKS workers,
# default all cores), so that a long campaign reaches its executions sooner:
# `bash scripts/fuzz-long.sh 60 skin skin_check synth_events` gives each of
# the three about ten million executions in three hours on two cores.
#
# Each target's corpus is kept between runs in .cache/fuzz/corpus/NAME
# (ignored by git; KX_FUZZ_DIR moves it), started from the seeds in
# fuzz/corpus/NAME. Inputs that crash go to .cache/fuzz/crashes/NAME. Exit
# status 1 when a target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: bash scripts/fuzz-long.sh MINUTES [TARGET...]" >&2
  echo "  runs each fuzz target (default: all) for MINUTES minutes" >&2
  exit 2
}
[ $# -ge 1 ] || usage
minutes=$1
shift
[[ "$minutes" =~ ^[0-9]+([.][0-9]+)?$ ]] || usage
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60); print (s < 1 ? 1 : s) }')
state=${KX_FUZZ_DIR:-$PWD/.cache/fuzz}
forks=${KX_FUZZ_FORKS:-$(nproc)}
[[ "$forks" =~ ^[0-9]+$ ]] && [ "$forks" -ge 1 ] || { echo "fuzz-long: KX_FUZZ_FORKS must be a count" >&2; exit 2; }
fork_option=()
[ "$forks" -gt 1 ] && fork_option=(-fork="$forks")
mkdir -p "$state/corpus" "$state/crashes" "$state/logs"

bash scripts/install-deps.sh
cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKX_SANITIZE=ON -DKX_FUZZ=ON -DKX_BENCH=OFF >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("$name")
  done
fi
build=()
for name in "${targets[@]}"; do
  [ -f "fuzz/$name.cpp" ] || { echo "fuzz-long: no target named '$name'" >&2; exit 2; }
  build+=("fuzz_$name")
done
cmake --build build-san -j2 --target "${build[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp

summary=()
found=0
for name in "${targets[@]}"; do
  corpus="$state/corpus/$name"
  crashes="$state/crashes/$name"
  log="$state/logs/$name.log"
  mkdir -p "$corpus" "$crashes"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  echo "fuzz-long: $name for ${seconds}s (corpus $corpus)"
  status=0
  "build-san/fuzz/fuzz_$name" "${fork_option[@]}" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
  # One process prints its final count; the fork mode's parent keeps a
  # running total of its workers' executions ("#N: cov: ...").
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n 1 || true)
  [ -n "$runs" ] || runs=$(grep -oE '^#[0-9]+: cov:' "$log" | tail -n 1 | grep -oE '[0-9]+' || echo 0)
  rate=$(( runs / seconds ))
  last=$(grep -E '(DONE|pulse|NEW|REDUCE) +cov:|^#[0-9]+: cov:' "$log" | tail -n 1 || true)
  cov=$(echo "$last" | grep -oE 'cov: [0-9]+' | grep -oE '[0-9]+' || echo '?')
  ft=$(echo "$last" | grep -oE 'ft: [0-9]+' | grep -oE '[0-9]+' || echo '?')
  # Executions over every run so far, toward a long campaign's total.
  total=$(( $(cat "$state/corpus/$name.executions" 2>/dev/null || echo 0) + runs ))
  echo "$total" >"$state/corpus/$name.executions"
  files=$(find "$corpus" -type f | wc -l)
  verdict="nothing found"
  if [ "$status" -ne 0 ]; then
    verdict="FOUND (exit $status): see $log and $crashes"
    found=1
    tail -n 30 "$log"
  fi
  summary+=("$(printf '%-14s %12s %12s %9s %8s %8s %7s  %s' "$name" "$runs" "$total" "$rate" "$cov" "$ft" "$files" "$verdict")")
done

echo
printf '%-14s %12s %12s %9s %8s %8s %7s  %s\n' target executions "all runs" "exec/s" cov features corpus result
for line in "${summary[@]}"; do echo "$line"; done
exit $found
