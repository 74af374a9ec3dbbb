#pragma once

#include "engine/oscillator.h"

namespace kx {

// The sequential steps of the voice's three oscillators through a stretch,
// side by side: each sample's glide (or phase) waits for the one before it,
// but the three oscillators' chains are independent, so they run as three
// lanes of one vector register where the processor has AVX2, and tracker by
// tracker otherwise. Each lane does the tracker's own arithmetic in its
// order, so the results are the trackers' bits either way. Audio thread.
namespace OscillatorLanes {

constexpr int kCount = 3;

// As t[k].track(i) for i = 0 .. count - 1 and every k.
void trackPitches(Oscillator::PitchTracker (&t)[kCount], int count) noexcept;
void trackPhases(Oscillator::PhaseTracker (&t)[kCount], int count) noexcept;

// Whether the lanes run in vector registers on this processor.
bool vectorised() noexcept;

} // namespace OscillatorLanes

} // namespace kx
