// The three one-shot patch commands. They run on the user-interface thread
// (a click on a command control) and write the current program through the
// effect, so every write re-applies the whole parameter set at once. Each
// random value is one fresh unipolar draw from the process-wide generator.
// No control reports these changes, so the command reports them itself.
#include "instrument/synth_effect.h"

#include "engine/random.h"
#include "plugin/change_report.h"

namespace kx {

namespace {

double draw() { return Random::unipolar(); }

// The rows every oscillator shares, in draw order.
void randomiseOscillator(KEffect& effect, const OscillatorParams& o) {
    effect.setParameterReal(o.detune, 20.0 * draw() - 10.0);
    effect.setParameterReal(o.attack, 0.49 * draw() + 0.01);
    effect.setParameterReal(o.release, 1.99 * draw() + 0.1);
    effect.setParameterReal(o.porta, 0.25 * draw());
    effect.setParameterValue(o.noise, 0.2 * draw());
}

}  // namespace

void SynthEffect::executeCommand(int commandNumber, bool shift, bool) {
    // The host hears of the results once all is written: the values a
    // command passes through on the way (Full Random's main level before
    // Auto Level, the settings it puts back) are no part of the patch.
    const KChangeReport report(*this);
    runCommand(commandNumber, shift);
    report.send();
}

void SynthEffect::runCommand(int commandNumber, bool shift) {
    switch (commandNumber) {
    case kCmdAutoLevel: autoLevel(); break;
    case kCmdRandom:
        if (shift)
            partRandom();
        else
            fullRandom();
        break;
    case kCmdFullRandom: fullRandom(); break;
    case kCmdPartRandom: partRandom(); break;
    default: break;
    }
}

// Sets the main level so that the six oscillator and noise amplitudes
// together peak at about -3 dB, never above 0 dB.
void SynthEffect::autoLevel() {
    // The stored values of these dB parameters are linear gains, added in
    // this order: another order rounds differently. They are read clamped
    // into 0..1 as the voice plays them: a stored value outside (a host's
    // value, a damaged chunk) would otherwise level for a sum the voice
    // never plays.
    const double sum =
        ((((storedValue(kNoise1) + storedValue(kLevel1)) + storedValue(kLevel2)) + storedValue(kNoise2)) +
         storedValue(kLevel3)) +
        storedValue(kNoise3);
    double g = 1.0;
    if (sum > 0.0) {
        g = 0.7079457843841379 / sum;  // 10^-0.15
        if (g > 1.0)
            g = 1.0;
    }
    setParameter(kMainLvl, static_cast<float>(g));
}

void SynthEffect::fullRandom() {
    const double portaReset = getParameterValue(kPortaRst);
    const double bendRange = getParameterValue(kPtchBend);
    for (int i = 0; i < kSynthParamCount; ++i)
        setParameterValue(i, draw());
    // Noise is limited to 0..0.3 so that the result stays musical.
    for (const OscillatorParams& o : kOscillatorParams)
        setParameterValue(o.noise, 0.3 * draw());
    setParameterValue(kPortaRst, portaReset);
    setParameterValue(kPtchBend, bendRange);
    autoLevel();
}

// Each sound parameter from a hand-tuned range, so that the result stays
// playable and in tune. The parameter classes quantise and clamp what is
// written; the statement order is the draw order.
void SynthEffect::partRandom() {
    const OscillatorParams& osc1 = kOscillatorParams[0];
    const OscillatorParams& osc2 = kOscillatorParams[1];
    const OscillatorParams& osc3 = kOscillatorParams[2];

    setParameterValue(osc1.wave, draw());
    randomiseOscillator(*this, osc1);
    setParameterReal(osc1.level, 0.0);

    setParameterValue(osc2.wave, draw());
    setParameterReal(osc2.partial, 3.0 * draw() + 2.0);
    randomiseOscillator(*this, osc2);
    setParameterReal(osc2.level, 12.0 * draw() - 12.0);

    setParameterValue(osc3.wave, draw());
    // Above the second oscillator's partial (read back as quantised), up to 6.
    const double p = unitValue(osc2.partial);
    setParameterReal(osc3.partial, draw() * (6.0 - p) + (p + 1.0));
    randomiseOscillator(*this, osc3);
    setParameterReal(osc3.level, 12.0 * draw() - 12.0);

    setParameterValue(kLFOWave, draw());
    setParameterValue(kLFOFreq, draw());
    setParameterValue(kLFOPhase, draw());
    setParameterValue(kLFODepth, draw());

    autoLevel();
}

}  // namespace kx
