// Where each of the instrument's parameters sits in the host's index order,
// and which of them belong to each oscillator. Parameter creation,
// parametersChanged and the patch commands all read these.
#pragma once

namespace kx {

// Parameters in host index order.
enum SynthParamIndex {
    kWave1,
    kDetune1,
    kAttk1,
    kRel1,
    kPorta1,
    kNoise1,
    kLevel1,
    kWave2,
    kPartial2,
    kDetune2,
    kAttk2,
    kRel2,
    kPorta2,
    kNoise2,
    kLevel2,
    kWave3,
    kPartial3,
    kDetune3,
    kAttk3,
    kRel3,
    kPorta3,
    kNoise3,
    kLevel3,
    kLFOWave,
    kLFOFreq,
    kLFOPhase,
    kLFODepth,
    kPortaRst,
    kPtchBend,
    kMainLvl,
    kSynthParamCount
};

// One oscillator's parameters. The first oscillator has no partial: it
// always sounds the played note itself.
struct OscillatorParams {
    static constexpr int kNoPartial = -1;

    int wave;
    int partial;
    int detune;
    int attack;
    int release;
    int porta;
    int noise;
    int level;
};

inline constexpr int kOscillatorCount = 3;

inline constexpr OscillatorParams kOscillatorParams[kOscillatorCount] = {
    {kWave1, OscillatorParams::kNoPartial, kDetune1, kAttk1, kRel1, kPorta1, kNoise1, kLevel1},
    {kWave2, kPartial2, kDetune2, kAttk2, kRel2, kPorta2, kNoise2, kLevel2},
    {kWave3, kPartial3, kDetune3, kAttk3, kRel3, kPorta3, kNoise3, kLevel3},
};

}  // namespace kx
