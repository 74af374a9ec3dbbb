// How the current program reaches the voice. Called after every parameter
// change, from whichever thread made it, and by the engine reset: it re-reads
// all 30 values and writes the voice's fields, one whole value per store,
// without touching phases, glides, envelopes or the bend factors.
#include "instrument/synth_effect.h"

#include "engine/exact_math.h"

#include <cmath>
#include <cstdint>

namespace kx {

namespace {

// Enumeration indexes and wave numbers, rounded half away from zero.
std::int32_t roundIndex(double value) {
    const double r = std::round(value);
    return r >= INT32_MIN && r <= INT32_MAX ? static_cast<std::int32_t>(r) : -1;
}

}  // namespace

double SynthEffect::storedValue(int index) const {
    // Hosts may store values outside 0..1 (setParameter, chunks), and a
    // chunk may hold NaN; the engine reads them clamped into the range, since
    // a negative time or a NaN would make an envelope run away for good.
    const double v = getParameterValue(index);
    return !(v >= 0.0) ? 0.0 : v > 1.0 ? 1.0 : v;
}

double SynthEffect::unitValue(int index) const {
    const KParam* param = getParam(index);
    return param ? param->toReal(storedValue(index)) : 0.0;
}

void SynthEffect::parametersChanged(int) {
    Oscillator* const oscillators[kOscillatorCount] = {&voice_.osc1, &voice_.osc2, &voice_.osc3};
    for (int n = 0; n < kOscillatorCount; ++n) {
        const OscillatorParams& p = kOscillatorParams[n];
        Oscillator& osc = *oscillators[n];
        osc.wave = roundIndex(unitValue(p.wave));
        osc.partial = p.partial == OscillatorParams::kNoPartial ? 1.0 : unitValue(p.partial);
        osc.detuneCents = unitValue(p.detune);
        osc.attackTime = unitValue(p.attack);
        osc.releaseTime = unitValue(p.release);
        osc.portaTime = unitValue(p.porta);
        osc.noiseGain = storedValue(p.noise);
        osc.levelGain = storedValue(p.level);
    }
    for (Oscillator* osc : oscillators)
        osc->updateMultiplier();

    voice_.lfo.shape = roundIndex(unitValue(kLFOWave));
    voice_.lfo.cyclesPerBar = unitValue(kLFOFreq);
    voice_.lfo.phaseOffset = unitValue(kLFOPhase) * Lfo::kInvDegrees;
    voice_.lfoDepth = unitValue(kLFODepth) * 0.01;

    voice_.bendRange = unitValue(kPtchBend);

    voice_.portaResetCounter = 0;
    voice_.portaResetSeconds = unitValue(kPortaRst);
    const double samples = voice_.portaResetSeconds * voice_.sampleRate;
    voice_.portaResetSamples = samples < INT32_MAX ? static_cast<std::int32_t>(samples) : INT32_MAX;

    voice_.mainGain = exact::exp10(unitValue(kMainLvl) * 0.05);

    refreshEditor();
}

}  // namespace kx
