#pragma once

#include <cstdint>

#include "engine/random.h"

namespace kx {

// The random draws of a stretch of samples in which the LFO draws nothing:
// for each sample osc1's, osc2's and osc3's noise (bipolar), then the voice's
// anti-denormal offset (unipolar), as a sample-by-sample voice draws them.
struct VoiceDraws {
    static constexpr int kMaxSamples = 256;
    static constexpr int kPerSample = 4;

    double noise1[kMaxSamples];
    double noise2[kMaxSamples];
    double noise3[kMaxSamples];
    double offset[kMaxSamples];

    // The draws of `count` samples (at most kMaxSamples) that `random` makes
    // from where it stands, exactly those of count x kPerSample steps.
    // Audio thread; no allocation.
    void fill(RandomGenerator random, int count) noexcept;
};

}  // namespace kx
