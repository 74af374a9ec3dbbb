#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/angles.h"
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

    static constexpr double kTwoPi = kx::kTwoPi;
    static constexpr double kPi = kx::kPi;
    static constexpr double kInvCentsPerOctave = 0.0008333333333333334;  // 1/1200

    // The loudness curve's corners in Hz: silent below the first, rising to
    // full at the second, falling to 0.49 at the third and to silence at the
    // last; and the inverse spans of its falling arms.
    static constexpr double kLoudnessSilentBelow = 10.0;
    static constexpr double kLoudnessFullAt = 30.0;
    static constexpr double kLoudnessHighFrom = 10000.0;
    static constexpr double kLoudnessSilentFrom = 17500.0;
    static constexpr double kInvMiddleSpan = 0.00010030090270812437;  // 1/9970
    static constexpr double kInvHighSpan = 0.00013333333333333334;    // 1/7500

    // Table waves read the process-wide tables, built now or by the owner
    // later (silent until then).
    explicit Oscillator(TableBuild build = TableBuild::OnConstruction);

    std::int32_t wave = Sine;  // other values are silent
    double partial = 1.0;
    double detuneCents = 0.0;
    double attackTime = 0.01;
    double releaseTime = 0.01;
    double portaTime = 0.0;
    double noiseGain = 0.0;
    double levelGain = 0.0;
    double multiplier = 1.0;  // see updateMultiplier
    double phase = 0.0;       // radians, [0, 2pi)
    double currentFreq = 0.0;
    double targetFreq = 0.0;
    double glideRatio = 1.0;  // per-sample factor; 1 means no glide
    Envelope envelope;
    bool hasPlayed = false;  // glides happen only after a first note
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
    // Every arm is computed and one is chosen, from the top of the range
    // down, so that a loop over many frequencies needs no branch; each arm
    // is the same arithmetic as alone, and a frequency that is not a number
    // gets 0.
    static double gainCurve(double f) noexcept {
        const double low = (f - kLoudnessSilentBelow) * 0.05;
        const double high = 0.7 - (f - kLoudnessHighFrom) * kInvHighSpan * 0.7;
        double gain = 0.0;
        gain = f < kLoudnessSilentFrom ? high * high : gain;
        gain = f < kLoudnessHighFrom ? gainCurveMiddle(f) : gain;
        gain = f < kLoudnessFullAt ? low * low : gain;
        gain = f < kLoudnessSilentBelow ? 0.0 : gain;
        return gain;
    }

    // The curve's middle arm, from kLoudnessFullAt up to kLoudnessHighFrom.
    static double gainCurveMiddle(double f) noexcept {
        const double mid = 1.0 - (f - kLoudnessFullAt) * kInvMiddleSpan * 0.3;
        return mid * mid;
    }

    // The sine polynomial shared with the LFO; x in [-pi, pi).
    static double sinePoly(double x) noexcept {
        const double x2 = x * x;
        return -(x * (0.9990123569996505 +
                      x2 * (-0.16562123457123723 + x2 * (0.007956574006381783 + x2 * (-0.000145039006054745)))));
    }

    // Computes the next sample into output (audio thread), drawing its noise
    // from `random`.
    void tick(RandomGenerator& random) noexcept { step(random.bipolar()); }

    // The same sample with its noise draw `r` already made.
    void step(double r) noexcept {
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

    // Stretch rendering. The voice takes its three oscillators through a
    // stretch of samples together, in steps that keep what must go sample
    // after sample (envelope, glide, phase, loudness smoothing) apart from
    // what each sample computes on its own (loudness target, waveform,
    // output). Each sequential part is then a short loop of its own, the
    // three oscillators side by side so that their chains overlap, and the
    // rest runs over whole arrays where the compiler can use vector lanes.
    // In this order:
    //   beginStretch(count)
    //   trackEnvelope()                        when the envelope moves
    //   phaseTracker(), track(i) for each i, keep()
    //                                          when the pitch holds
    //   pitchTracker(), track(i) for each i, keep()
    //                                          when it does not
    //   followPitch()                          frequency, loudness target
    //   smoothGain()
    //   finishStretch(noise, out)              waveform and output
    // Together they leave exactly the state and the outputs of `count` steps
    // whose noise draws are noise[i]. Audio thread; count <= kMaxStretch.
    static constexpr int kMaxStretch = 256;

    // What the steps of a stretch hand on to each other, per sample.
    struct Stretch {
        double freq[kMaxStretch];    // bendFactor x multiplier x currentFreq
        double target[kMaxStretch];  // loudness target for freq
        double phase[kMaxStretch];
        double gain[kMaxStretch];  // smoothed loudness
        double envelope[kMaxStretch];
    };

    // The phase of a stretch in which the frequency holds, held in a local
    // while the voice steps it, so that the compiler can keep it in
    // registers. A frequency of 0 or below leaves the phase where it is.
    struct PhaseTracker {
        double phase;
        double step;
        bool moves;
        double* phases;

        void track(int i) noexcept {
            if (moves)
                advancePhase(phase, step);
            phases[i] = phase;
        }
    };

    // The glide, the frequency and the phase of a stretch in which the pitch
    // moves, the step arithmetic of a tick sample by sample.
    struct PitchTracker {
        double currentFreq, targetFreq, glideRatio;
        double factor;  // bendFactor x multiplier
        double sampleRate;
        double phase;
        double* freqs;
        double* phases;

        void track(int i) noexcept {
            if (glideRatio != 1.0) {
                currentFreq = currentFreq * glideRatio;
                if ((glideRatio < 1.0 && currentFreq <= targetFreq) ||
                    (glideRatio > 1.0 && currentFreq >= targetFreq)) {
                    currentFreq = targetFreq;
                    glideRatio = 1.0;
                }
            }
            const double f = factor * currentFreq;
            if (f > 0.0)
                advancePhase(phase, f * kTwoPi / sampleRate);
            freqs[i] = f;
            phases[i] = phase;
        }
    };

    void beginStretch(int count) noexcept;

    void trackEnvelope() noexcept;

    // The frequency is the same for every sample of the stretch.
    bool pitchHolds() const noexcept { return pitchHolds_; }

    PhaseTracker phaseTracker() noexcept { return PhaseTracker{phase, phaseStep_, moves_, stretch_.phase}; }
    void keep(const PhaseTracker& t) noexcept { phase = t.phase; }

    PitchTracker pitchTracker() noexcept {
        return PitchTracker{currentFreq, targetFreq, glideRatio,    bendFactor * multiplier,
                            sampleRate,  phase,      stretch_.freq, stretch_.phase};
    }
    void keep(const PitchTracker& t) noexcept {
        currentFreq = t.currentFreq;
        glideRatio = t.glideRatio;
        phase = t.phase;
    }

    void followPitch() noexcept;

    void smoothGain() noexcept;

    // Two oscillators that start a stretch from the same phase and pitch with
    // the same loudness smoothing (as in unison, whatever their waves) have
    // the same frequencies, loudness targets and smoothed loudness in it: a
    // follower takes the leader's, once the leader has computed them, in
    // place of followPitch and smoothGain. Ask before either runs.
    bool sharesLoudnessWith(const Oscillator& other) const noexcept;
    void followLoudnessOf(const Oscillator& leader) noexcept;

    // Two oscillators that play the same wave from the same phase and pitch
    // through the stretch have the same waveform values in it.
    bool playsInUnisonWith(const Oscillator& other) const noexcept;
    // The stretch's waveform values (before the loudness), for another
    // oscillator in unison; false when this one's output needs none.
    bool needsWaveform() const noexcept;
    void waveform(double* w) noexcept;

    // The output of the stretch, from the waveform values in `values` when
    // given (an oscillator in unison computed them).
    void finishStretch(const double* noise, double* out, const double* values = nullptr) noexcept;

    // The whole stretch for this oscillator alone.
    void render(const double* noise, double* out, int count) noexcept;

    void tick() noexcept { step(Random::bipolar()); }

private:
    static void advancePhase(double& ph, double stepSize) noexcept {
        ph = ph + stepSize;
        if (ph >= kTwoPi) {
            ph -= kTwoPi;
            if (ph >= kTwoPi)  // only above the sample rate
                ph = std::fmod(ph, kTwoPi);
        }
    }

    double waveAt(double ph, double f) noexcept {
        switch (wave) {
        case Sine: return sinePoly(ph - kPi);
        case Triangle:
        case Square:
        case Sawtooth: return readTable(ph, f);
        default: return 0.0;
        }
    }

    // Everything below depends only on the frequency (and the sample rate):
    // kept while it does not change, which is every sample of a held note.
    void updateFrequencyCache(double f) noexcept;
    void updateLevelCache(double f) noexcept;

    int tableOfWave() const noexcept {
        return wave == Triangle ? WaveTableSet::Triangle
               : wave == Square ? WaveTableSet::Square
                                : WaveTableSet::Sawtooth;
    }

    // The tables once they are built (a pointer read for the stretch).
    const WaveTableSet* tables() noexcept {
        if (!tables_)
            tables_ = WaveTableSet::built();
        return tables_;
    }

    double readTable(double ph, double f) noexcept {
        const WaveTableSet* set = tables();
        if (!set)
            return 0.0;
        if (f != levelFreq_)
            updateLevelCache(f);
        return set->readAtLevel(tableOfWave(), ph, level_, levelFraction_);
    }

    static void sineStretch(const double* phases, double* w, int count) noexcept;

    template <typename WaveFunction>
    void finishWith(const double* noise, double* out, int count, WaveFunction waveAt) noexcept;

    const WaveTableSet* tables_;  // process-wide, read-only; null until built
    double cachedFreq_ = std::numeric_limits<double>::quiet_NaN();
    double phaseStep_ = 0.0;
    double gainTarget_ = 0.0;
    double levelFreq_ = std::numeric_limits<double>::quiet_NaN();
    int level_ = WaveTableSet::kLevels - 1;
    double levelFraction_ = 0.0;

    // The stretch under way. The pitch holds when the frequency is the
    // cached one and no glide runs; the stretch is steady when besides the
    // envelope holds (sustain or idle) and the smoothing has settled, so
    // that one amplitude serves every sample.
    int count_ = 0;
    bool gainsOnTarget_ = false;         // the smoothed loudness is the target throughout
    const Stretch* loudness_ = nullptr;  // a leader's frequencies and loudness, or null: this one's
    bool pitchHolds_ = false;
    bool envelopeHolds_ = false;
    bool steady_ = false;
    bool moves_ = false;  // the held frequency is above 0
    // Everything the stretch's phases and frequencies follow from.
    struct PitchStart {
        double phase, currentFreq, targetFreq, glideRatio, factor, sampleRate;
        bool operator==(const PitchStart&) const = default;
    } start_{};
    Stretch stretch_;
};

}  // namespace kx
