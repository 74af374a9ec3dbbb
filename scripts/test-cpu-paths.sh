#!/usr/bin/env bash
# The engine's paths for processors other than this one, tested here whatever
# this one offers (after scripts/build.sh, which builds build/):
# - the exactness tests (the engine against its slow twins, the reference
#   comparisons, the instrument) built with -DKX_CPU_BASELINE=ON, which never
#   takes the AVX2 code, in build-baseline/ (only those tests, the plug-in
#   and the tool);
# - phrases rendered with the release tool and plug-in natively, under qemu's
#   Nehalem model (no AVX, no FMA: the C library's other variants and the
#   engine's narrower lanes) and with the baseline tree's tool and plug-in:
#   the same samples, bit for bit.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

cmake -S . -B build-baseline -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_CPU_BASELINE=ON -DKX_TESTS=ON -DKX_BENCH=OFF "$@"
cmake --build build-baseline -j2 --target test_engine test_reference test_instrument kelvox2 Kelvox2
ctest --test-dir build-baseline -j2 --output-on-failure -R '^(engine|reference|instrument)\.'
tests_done=$SECONDS

work=build-baseline/phrases
rm -rf "$work"
mkdir -p "$work"
bank=build/presets/factory.fxb
# Every factory sound, and one patch that reaches everything at once (every
# table wave detuned apart and gliding, partials, noise, a random LFO), also
# in 64-bit processing with blocks of odd sizes at another rate.
phrases=()
for program in 0 1 2 3 4 5 6 7 8 9; do
  phrases+=("program$program|--fxb $bank --program $program")
done
everything="--set Wave1=saw --set Wave2=square --set Wave3=triangle --set Detune2=7 --set Detune3=-5"
everything+=" --set Partial2=2 --set Partial3=3 --set Porta1=300ms --set Porta2=200ms --set Porta3=300ms"
everything+=" --set Noise1=-20 --set LFOWave=random --set LFODepth=50"
phrases+=("everything|$everything")
phrases+=("everything-double|$everything --double --block 77 --rate 48000")

# The samples of a WAV file: what follows the header of its data chunk (the
# header before it holds the time of writing).
samples() {
  local at
  at=$(head -c 512 "$1" | grep -boa data | head -n1 | cut -d: -f1)
  tail -c +$((at + 9)) "$1"
}

for phrase in "${phrases[@]}"; do
  name=${phrase%%|*}
  read -r -a options <<<"${phrase#*|}"
  build/kelvox2 render build/Kelvox2.so demo/demo.mid "$work/$name-native.wav" --format float --quiet "${options[@]}"
  qemu-x86_64 -cpu Nehalem build/kelvox2 render build/Kelvox2.so demo/demo.mid "$work/$name-nehalem.wav" \
    --format float --quiet "${options[@]}"
  build-baseline/kelvox2 render build-baseline/Kelvox2.so demo/demo.mid "$work/$name-baseline.wav" \
    --format float --quiet "${options[@]}"
  for other in nehalem baseline; do
    if ! cmp <(samples "$work/$name-native.wav") <(samples "$work/$name-$other.wav"); then
      echo "cpu paths: $name renders differently natively and $other" >&2
      exit 1
    fi
  done
done
echo "cpu paths: baseline tests green ($((tests_done - start)) s with the build);" \
  "${#phrases[@]} phrases the same natively, under Nehalem and on the baseline ($((SECONDS - tests_done)) s)"
