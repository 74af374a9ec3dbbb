#!/usr/bin/env bash
# Writes demo/demo.fxp, the demo's sound: two detuned saws an octave below a
# soft sine, with glide and an eighth-note tremolo. Needs the built tool
# (bash scripts/build.sh); run from anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
./build/kelvox2 render ./build/Kelvox2.so --save-fxp demo/demo.fxp \
  --set Wave1=Sawtooth --set Detune1=-6 --set Attk1=0.02 --set Rel1=0.35 --set Porta1=0.12 --set Level1=0 \
  --set Wave2=Sawtooth --set Detune2=7 --set Attk2=0.03 --set Rel2=0.4 --set Porta2=0.14 --set Level2=-3 \
  --set Wave3=Sine --set Partial3=2 --set Attk3=0.25 --set Rel3=0.6 --set Porta3=0.1 --set Level3=-8 \
  --set Noise3=-38 \
  --set LFOWave=Sine --set LFOFreq=8 --set LFODepth=35 \
  --set PtchBend=2 --set MainLvl=-11
echo "wrote demo/demo.fxp"
