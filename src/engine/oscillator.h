#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/envelope.h"
#include "engine/random.h"
#include "engine/slew_limiter.h"
#include "engine/wave_table_set.h"

namespace kx {

// One of the voice's three oscillators: a waveform at the note frequency times
// detune, partial and pitch bend, with glide, added noise, its own envelope,
// its level and a frequency-dependent loudness curve. Owns nothing on the heap.
//
// The public fields are written directly by the parameter update (any thread,
// one whole value per store); tick and startNote run on the audio thread.
class Oscillator {
public:
    enum Wave : std::int32_t { Sine = 0, Triangle = 1, Square = 2, Sawtooth = 3 };

    static constexpr double kTwoPi = 6.283185307179586;
    static constexpr double kPi = 3.141592653589793;
    static constexpr double kInvCentsPerOctave = 0.0008333333333333334; // 1/1200

    Oscillator();

    std::int32_t wave = Sine; // other values are silent
    double partial = 1.0;
    double detuneCents = 0.0;
    double attackTime = 0.01;
    double releaseTime = 0.01;
    double portaTime = 0.0;
    double noiseGain = 0.0;
    double levelGain = 0.0;
    double multiplier = 1.0; // see updateMultiplier
    double phase = 0.0;      // radians, [0, 2pi)
    double currentFreq = 0.0;
    double targetFreq = 0.0;
    double glideRatio = 1.0; // per-sample factor; 1 means no glide
    Envelope envelope;
    bool hasPlayed = false; // glides happen only after a first note
    double output = 0.0;
    SlewLimiter gain;
    double sampleRate = 44100.0;
    double bendFactor = 1.0;

    // Recomputes multiplier after detuneCents or partial changed.
    void updateMultiplier() noexcept;

    // A note starts or the held note changes (audio thread). The phase is
    // never reset: the oscillator runs freely from note to note.
    void startNote(double frequency) noexcept;

    // Sets the sample-rate fields and restarts the loudness smoothing; phase,
    // glide and envelope state carry on.
    void resetForSampleRate(double rate) noexcept;

    // Loudness by frequency: silences sub-audio and near-Nyquist pitches.
    static double gainCurve(double frequency) noexcept;

    // The sine polynomial shared with the LFO; x in [-pi, pi).
    static double sinePoly(double x) noexcept
    {
        const double x2 = x * x;
        return -(x * (0.9990123569996505 +
                      x2 * (-0.16562123457123723 + x2 * (0.007956574006381783 + x2 * (-0.000145039006054745)))));
    }

    // Computes the next sample into output (audio thread), drawing its noise
    // from `random`: the shared generator, or a copy of it that a processing
    // loop keeps in registers for the length of a block.
    void tick(RandomGenerator& random) noexcept { step(random.bipolar()); }

    // The same sample with its noise draw `r` already made.
    void step(double r) noexcept
    {
        envelope.tick();

        if (glideRatio != 1.0) {
            currentFreq = currentFreq * glideRatio;
            if ((glideRatio < 1.0 && currentFreq <= targetFreq) || (glideRatio > 1.0 && currentFreq >= targetFreq)) {
                currentFreq = targetFreq;
                glideRatio = 1.0;
            }
        }

        const double f = bendFactor * multiplier * currentFreq;
        if (f != cachedFreq_)
            updateFrequencyCache(f);

        double w = 0.0;
        if (f > 0.0) {
            advancePhase(phase, phaseStep_);
            // An idle envelope (level exactly 0) silences the waveform
            // whatever its value: the output is a zero either way.
            if (!envelope.isIdle())
                w = waveAt(phase, f);
        }

        // Once the smoothing has settled on an unchanged target, a step
        // would store the same values again.
        if (!(gain.reached && gain.target == gainTarget_))
            gain.tick(gainTarget_);
        output = (r * noiseGain + w) * (gain.value * levelGain * envelope.value);
    }

    // `count` samples into out, the noise draws taken from noise[i]: the same
    // values as `count` steps. A held or silent note with settled pitch and
    // loudness runs a loop of its own with the state in registers.
    void render(const double* noise, double* out, int count) noexcept;

    void tick() noexcept { tick(Random::shared()); }

private:
    static void advancePhase(double& ph, double stepSize) noexcept
    {
        ph = ph + stepSize;
        if (ph >= kTwoPi) {
            ph -= kTwoPi;
            if (ph >= kTwoPi) // only above the sample rate
                ph = std::fmod(ph, kTwoPi);
        }
    }

    double waveAt(double ph, double f) noexcept
    {
        switch (wave) {
        case Sine:
            return sinePoly(ph - kPi);
        case Triangle:
        case Square:
        case Sawtooth:
            return readTable(ph, f);
        default:
            return 0.0;
        }
    }

    // Everything below depends only on the frequency (and the sample rate):
    // kept while it does not change, which is every sample of a held note.
    void updateFrequencyCache(double f) noexcept;
    void updateLevelCache(double f) noexcept;

    int tableOfWave() const noexcept
    {
        return wave == Triangle ? WaveTableSet::Triangle : wave == Square ? WaveTableSet::Square : WaveTableSet::Sawtooth;
    }

    double readTable(double ph, double f) noexcept
    {
        if (f != levelFreq_)
            updateLevelCache(f);
        return tables_->readAtLevel(tableOfWave(), ph, level_, levelFraction_);
    }

    template <int Kind>
    void renderSteady(const double* noise, double* out, int count, double f) noexcept;

    const WaveTableSet* tables_; // process-wide, read-only
    double cachedFreq_ = std::numeric_limits<double>::quiet_NaN();
    double phaseStep_ = 0.0;
    double gainTarget_ = 0.0;
    double levelFreq_ = std::numeric_limits<double>::quiet_NaN();
    int level_ = WaveTableSet::kLevels - 1;
    double levelFraction_ = 0.0;
};

} // namespace kx
