#include "engine/oscillator.h"

#include "engine/cpu_path.h"
#include "engine/exact_math.h"

#include <cmath>

namespace kx {

Oscillator::Oscillator(TableBuild build)
    : tables_(build == TableBuild::OnConstruction ? &WaveTableSet::instance() : nullptr) {
    gain.sampleRate = 44100.0;
    gain.target = 1.0;
    gain.value = 1.0;
    gain.step = 1.0 / (44100.0 * 0.002);
    gain.reached = true;
}

void Oscillator::updateMultiplier() noexcept { multiplier = exact::exp2(detuneCents * kInvCentsPerOctave) * partial; }

void Oscillator::startNote(double frequency) noexcept {
    envelope.trigger(attackTime);  // legato when already rising or holding
    targetFreq = frequency;
    const double glideSamples = sampleRate * portaTime;
    if (hasPlayed && glideSamples >= 1.0) {
        // Glides from wherever the previous glide stands.
        glideRatio = exact::pow(frequency / currentFreq, 1.0 / glideSamples);
    } else {
        currentFreq = frequency;
        glideRatio = 1.0;
    }
    hasPlayed = true;
}

void Oscillator::resetForSampleRate(double rate) noexcept {
    sampleRate = rate;
    envelope.sampleRate = rate;
    gain.sampleRate = rate;
    gain.step = std::fabs(1.0 / (rate * 0.002));
    gain.target = 1.0;
    gain.value = 1.0;
    gain.reached = true;
    cachedFreq_ = std::numeric_limits<double>::quiet_NaN();  // the phase step depends on the rate
}

void Oscillator::updateFrequencyCache(double f) noexcept {
    cachedFreq_ = f;
    phaseStep_ = f * kTwoPi / sampleRate;
    gainTarget_ = gainCurve(f);
}

void Oscillator::beginStretch(int count) noexcept {
    count_ = count;
    const double f = bendFactor * multiplier * currentFreq;
    const bool glides = glideRatio != 1.0;
    // Without a glide a new pitch (a bend, a note) holds through the whole
    // stretch: cache it now, as the stretch's first step would.
    if (!glides && f != cachedFreq_)
        updateFrequencyCache(f);
    pitchHolds_ = !glides && f == cachedFreq_;
    envelopeHolds_ = envelope.state == EnvelopeState::Sustain || envelope.isIdle();
    steady_ = pitchHolds_ && envelopeHolds_ && gain.reached && gain.target == gainTarget_;
    moves_ = f > 0.0;
    start_ = PitchStart{phase, currentFreq, targetFreq, glideRatio, bendFactor * multiplier, sampleRate};
    loudness_ = nullptr;
}

void Oscillator::trackEnvelope() noexcept {
    if (steady_ || envelopeHolds_)  // one value for the whole stretch
        return;
    for (int i = 0; i < count_; ++i) {
        envelope.tick();
        stretch_.envelope[i] = envelope.value;
    }
}

KX_VECTOR_CLONES
void Oscillator::followPitch() noexcept {
    if (steady_ || count_ <= 0)
        return;
    if (pitchHolds_) {
        const double held = cachedFreq_;
        for (int i = 0; i < count_; ++i)
            stretch_.freq[i] = held;
        return;
    }
    const double* freq = stretch_.freq;
    double* target = stretch_.target;
    // Through most stretches every frequency lies on the curve's middle arm,
    // the one of most of the audible range: that arm alone is computed, the
    // same arithmetic as the whole curve gives there, and the whole curve
    // only when a frequency lies elsewhere.
    int outside = 0;
    for (int i = 0; i < count_; ++i) {
        outside += !(freq[i] >= kLoudnessFullAt && freq[i] < kLoudnessHighFrom);
        target[i] = gainCurveMiddle(freq[i]);
    }
    if (outside != 0) {
        for (int i = 0; i < count_; ++i)
            target[i] = gainCurve(freq[i]);
    }
    // What a step would have cached for the last frequency.
    updateFrequencyCache(stretch_.freq[count_ - 1]);
}

KX_VECTOR_CLONES
void Oscillator::smoothGain() noexcept {
    if (steady_ || count_ <= 0)
        return;
    const double* target = stretch_.target;
    if (pitchHolds_) {
        for (int i = 0; i < count_; ++i)
            stretch_.target[i] = gainTarget_;
    }
    // While the smoothing keeps up (the target moves by at most a step per
    // sample, as it does through a glide), each sample lands on its target.
    if (gain.keepsUp(target, count_)) {
        gainsOnTarget_ = true;
        gain.settle(target[count_ - 1]);
        return;
    }
    for (int i = 0; i < count_; ++i) {
        if (!(gain.reached && gain.target == target[i]))
            gain.tick(target[i]);
        stretch_.gain[i] = gain.value;
    }
    gainsOnTarget_ = false;
}

// The output of every sample from its phase, amplitude and noise draw. A
// phase that did not move (frequency 0 or below) gives no waveform; an idle
// envelope gives none either (its amplitude is 0, so the output is a zero
// whatever the waveform).
template <typename WaveFunction>
inline void Oscillator::finishWith(const double* noise, double* out, int count, WaveFunction waveAt) noexcept {
    const double noiseScale = noiseGain;
    const double level = levelGain;
    const double* ph = stretch_.phase;
    if (steady_) {
        const double amplitude = gain.value * level * envelope.value;
        if (!moves_ || envelope.isIdle()) {
            for (int i = 0; i < count; ++i)
                out[i] = (noise[i] * noiseScale + 0.0) * amplitude;
        } else {
            for (int i = 0; i < count; ++i)
                out[i] = (noise[i] * noiseScale + waveAt(ph[i], i)) * amplitude;
        }
    } else {
        const Stretch& loudness = loudness_ ? *loudness_ : stretch_;
        const double* f = loudness.freq;
        const double* g = gainsOnTarget_ ? loudness.target : loudness.gain;
        auto each = [&](auto envelopeAt) {
            for (int i = 0; i < count; ++i) {
                const double w = waveAt(ph[i], i);
                out[i] = (noise[i] * noiseScale + (f[i] > 0.0 ? w : 0.0)) * (g[i] * level * envelopeAt(i));
            }
        };
        if (envelopeHolds_) {
            const double held = envelope.value;
            each([held](int) { return held; });
        } else {
            const double* e = stretch_.envelope;
            each([e](int i) { return e[i]; });
        }
    }
}

bool Oscillator::playsInUnisonWith(const Oscillator& other) const noexcept {
    return wave == other.wave && start_ == other.start_ && count_ == other.count_;
}

bool Oscillator::sharesLoudnessWith(const Oscillator& other) const noexcept {
    return !steady_ && !other.steady_ && pitchHolds_ == other.pitchHolds_ && start_ == other.start_ &&
           count_ == other.count_ && cachedFreq_ == other.cachedFreq_ && phaseStep_ == other.phaseStep_ &&
           gainTarget_ == other.gainTarget_ && gain.sampleRate == other.gain.sampleRate &&
           gain.target == other.gain.target && gain.value == other.gain.value && gain.step == other.gain.step &&
           gain.reached == other.gain.reached;
}

void Oscillator::followLoudnessOf(const Oscillator& leader) noexcept {
    // What followPitch and smoothGain would have left, from the same values.
    cachedFreq_ = leader.cachedFreq_;
    phaseStep_ = leader.phaseStep_;
    gainTarget_ = leader.gainTarget_;
    gain = leader.gain;
    gainsOnTarget_ = leader.gainsOnTarget_;
    loudness_ = leader.loudness_ ? leader.loudness_ : &leader.stretch_;
}

bool Oscillator::needsWaveform() const noexcept { return count_ > 0 && !(steady_ && (!moves_ || envelope.isIdle())); }

void Oscillator::waveform(double* w) noexcept {
    const int count = count_;
    const double* ph = stretch_.phase;
    if (wave == Sine) {
        sineStretch(ph, w, count);
    } else if ((wave == Triangle || wave == Square || wave == Sawtooth) && tables()) {
        const int table = tableOfWave();
        if (pitchHolds_) {
            if (moves_ && levelFreq_ != cachedFreq_)
                updateLevelCache(cachedFreq_);
            tables_->readStretch(table, ph, w, count, level_, levelFraction_);
        } else {
            // A glide: a level position per sample, four at a time in lanes
            // where they can; the rest (or all) sample by sample below.
            int i = tables_->readGliding(table, ph, stretch_.freq, w, count);
            if (i > 0 && stretch_.freq[i - 1] != levelFreq_)
                updateLevelCache(stretch_.freq[i - 1]);  // as the samples before would have left it
            for (; i < count; ++i) {
                const double f = stretch_.freq[i];
                if (f != levelFreq_)
                    updateLevelCache(f);
                w[i] = tables_->readAtLevel(table, ph[i], level_, levelFraction_);
            }
        }
    } else {
        for (int i = 0; i < count; ++i)
            w[i] = 0.0;
    }
}

KX_VECTOR_CLONES
void Oscillator::sineStretch(const double* phases, double* w, int count) noexcept {
    for (int i = 0; i < count; ++i)
        w[i] = sinePoly(phases[i] - kPi);
}

KX_VECTOR_CLONES
void Oscillator::finishStretch(const double* noise, double* out, const double* values) noexcept {
    const int count = count_;
    if (count <= 0)
        return;
    if (!needsWaveform()) {
        finishWith(noise, out, count, [](double, int) { return 0.0; });
    } else if (values) {
        finishWith(noise, out, count, [values](double, int i) { return values[i]; });
    } else if (wave == Sine) {
        // Computed where it is used, without an array between.
        finishWith(noise, out, count, [](double ph, int) { return sinePoly(ph - kPi); });
    } else {
        double w[kMaxStretch];
        waveform(w);
        finishWith(noise, out, count, [&w](double, int i) { return w[i]; });
    }
    output = out[count - 1];
}

void Oscillator::render(const double* noise, double* out, int count) noexcept {
    beginStretch(count);
    trackEnvelope();
    if (pitchHolds()) {
        PhaseTracker tracker = phaseTracker();
        for (int i = 0; i < count; ++i)
            tracker.track(i);
        keep(tracker);
    } else {
        PitchTracker tracker = pitchTracker();
        for (int i = 0; i < count; ++i)
            tracker.track(i);
        keep(tracker);
    }
    followPitch();
    smoothGain();
    finishStretch(noise, out);
}

void Oscillator::updateLevelCache(double f) noexcept {
    levelFreq_ = f;
    WaveTableSet::splitLevel(WaveTableSet::levelPosition(f), level_, levelFraction_);
}

}  // namespace kx
