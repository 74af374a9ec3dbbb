#!/usr/bin/env bash
# Runs every fuzz target for MINUTES minutes each, one after the other, under
# AddressSanitizer and UndefinedBehaviorSanitizer, and prints a summary:
# executions (this run and all runs so far), executions per second, coverage
# and corpus size per target.
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
  "build-san/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo 0)
  rate=$(grep -oE 'stat::average_exec_per_sec: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo 0)
  last=$(grep -E '(DONE|pulse|NEW|REDUCE) +cov:' "$log" | tail -n 1 || true)
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
