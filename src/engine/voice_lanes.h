#pragma once

#include "engine/lfo.h"
#include "engine/oscillator.h"

namespace kx {

// The sequential steps of a stretch, side by side: each sample's glide and
// phase wait for the one before them, but the three oscillators' chains and
// the LFO's are independent of each other, so they run as the four lanes of
// one vector register where the processor has AVX2, and tracker by tracker
// otherwise. Each lane does its tracker's arithmetic in its order, so the
// results are the trackers' bits either way. Audio thread.
namespace VoiceLanes {

constexpr int kOscillators = 3;

// As t[k].track(i) and lfo->track(i) for i = 0 .. count - 1. The LFO rides
// along in a stretch in which it draws nothing; without it (null) its lane
// idles.
void trackPhases(Oscillator::PhaseTracker (&t)[kOscillators], Lfo::PhaseTracker* lfo, int count) noexcept;
void trackPitches(Oscillator::PitchTracker (&t)[kOscillators], Lfo::PhaseTracker* lfo, int count) noexcept;

}  // namespace VoiceLanes

}  // namespace kx
