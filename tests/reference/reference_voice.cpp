#include "reference_voice.h"

#include "engine/exact_math.h"

#include <algorithm>
#include <cmath>

namespace kx::ref {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

}  // namespace

// ---- Random generator ------------------------------------------------------

uint32_t RefRandom::next() {
    z = 36969u * (z & 65535u) + (z >> 16);
    w = 18000u * (w & 65535u) + (w >> 16);
    return (z << 16) + (w & 65535u);
}

double RefRandom::unipolar() { return static_cast<double>(next()) * 2.3283064370807974e-10; }

double RefRandom::bipolar() { return static_cast<double>(static_cast<int32_t>(next())) * 4.656612875245797e-10; }

// ---- Slew limiter ------------------------------------------------------------

void RefSlew::advance(double newTarget) {
    target = newTarget;
    const double d = target - value;
    reached = false;
    if (d > step) {
        value += step;
    } else if (d >= -step) {
        value = target;
        reached = true;
    } else {
        value -= step;
    }
}

// ---- Wave tables --------------------------------------------------------------

const RefWaveTables& RefWaveTables::get() {
    static const RefWaveTables tables;
    return tables;
}

RefWaveTables::RefWaveTables() {
    for (auto& t : tables_)
        t.assign(static_cast<size_t>(kLevels) * kSize, 0.0);
    std::vector<double>& tri = tables_[0];
    std::vector<double>& sq = tables_[1];
    std::vector<double>& saw = tables_[2];
    for (int k = 1; k <= 512; ++k) {
        const bool odd = (k % 2) == 1;
        const double sign = (((k - 1) / 2) % 2 == 0) ? 1.0 : -1.0;
        for (int j = 0; j < kSize; ++j) {
            const double s = exact::sin(static_cast<double>(j) * kTwoPi * 0.00048828125 * static_cast<double>(k));
            const double sawTerm = (1.0 / k) * 0.6366197723675814 * s;
            const double sqTerm = (1.0 / k) * 1.2732395447351628 * s;
            const double triTerm = (1.0 / (static_cast<double>(k) * k)) * (sign * 0.8105694691387022) * s;
            for (int t = 0; t < kLevels; ++t) {
                if (k > (1 << t))
                    continue;
                const size_t at = static_cast<size_t>(t) * kSize + j;
                saw[at] += sawTerm;
                if (odd) {
                    sq[at] += sqTerm;
                    tri[at] += triTerm;
                }
            }
        }
    }
}

double RefWaveTables::sample(int wave, int level, int index) const {
    return tables_[wave - 1][static_cast<size_t>(level) * kSize + index];
}

double RefWaveTables::read(int wave, int level, double pos) const {
    int n = static_cast<int>(pos);
    const double t = pos - n;
    // A phase just below 2pi can scale to exactly 2048; keep every index
    // inside the level.
    auto at = [&](int i) { return sample(wave, level, ((i % kSize) + kSize) % kSize); };
    const double ym1 = at(n - 1);
    const double y0 = at(n);
    const double y1 = at(n + 1);
    const double y2 = at(n + 2);
    const double c1 = (y1 - ym1) * 0.5;
    const double c3 = (y0 - y1) * 1.5 + (y2 - ym1) * 0.5;
    const double c2 = ym1 - y0 + c1 - c3;
    return ((c3 * t + c2) * t + c1) * t + y0;
}

double RefWaveTables::readBandLimited(int wave, double phase, double freq) const {
    const double L = exact::log(20000.0 / freq) * 1.4426950408889634;
    int i = static_cast<int>(L);
    const double pos = phase * 2048.0 * 0.15915494309189535;
    if (i >= 11)
        return read(wave, 11, pos);
    if (i < 0)  // above 40 kHz (silenced by the loudness curve): the fundamental only
        return read(wave, 0, pos);
    const double a = read(wave, i, pos);
    const double b = read(wave, i + 1, pos);
    return a + (b - a) * (L - i);
}

double refGainCurve(double f) {
    if (f < 10)
        return 0;
    if (f < 30) {
        const double v = (f - 10) * 0.05;
        return v * v;
    }
    if (f < 10000) {
        const double v = 1 - (f - 30) * 0.00010030090270812437 * 0.3;
        return v * v;
    }
    if (f < 17500) {
        const double v = 0.7 - (f - 10000) * 0.00013333333333333334 * 0.7;
        return v * v;
    }
    return 0;
}

double refSinePoly(double x) {
    const double x2 = x * x;
    return -(x * (0.9990123569996505 +
                  x2 * (-0.16562123457123723 + x2 * (0.007956574006381783 + x2 * (-0.000145039006054745)))));
}

double refNoteFrequency(int key) { return 440.0 * exact::exp2((key - 69) * 0.08333333333333333); }

// ---- Envelope --------------------------------------------------------------------

void RefEnvelope::trigger(double attackTime) {
    if (state == kAttack || state == kSustain)
        return;
    progress = 0;
    state = kAttack;
    span = 1 - value;
    increment = 1 / (attackTime * sampleRate);
}

void RefEnvelope::release(double releaseTime) {
    if (state == kRelease)
        return;
    progress = 0;
    state = kRelease;
    span = value;
    increment = 1 / (releaseTime * sampleRate);
}

void RefEnvelope::tick() {
    if (state == kAttack) {
        progress = progress + increment;
        value = value + 2 * progress * span * increment;
        if (progress >= 1) {
            state = kSustain;
            value = 1;
            span = increment = progress = 0;
        }
    } else if (state == kRelease) {
        progress = progress + increment;
        value = value + (2 * progress - 2) * span * increment;
        if (progress >= 1) {
            value = 0;
            state = kIdle;
            span = increment = progress = 0;
        }
    }
}

// ---- Oscillator ---------------------------------------------------------------------

void RefOscillator::updateMultiplier() { multiplier = exact::exp2(detuneCents * 0.0008333333333333334) * partial; }

void RefOscillator::startNote(double freq) {
    if (envelope.state == RefEnvelope::kIdle || envelope.state == RefEnvelope::kRelease)
        envelope.trigger(attackTime);
    targetFreq = freq;
    const double glideSamples = sampleRate * portaTime;
    if (hasPlayed && glideSamples >= 1) {
        glideRatio = exact::pow(freq / currentFreq, 1 / glideSamples);
    } else {
        currentFreq = freq;
        glideRatio = 1;
    }
    hasPlayed = true;
}

void RefOscillator::tick(RefRandom& rng) {
    envelope.tick();
    if (glideRatio != 1) {
        currentFreq = currentFreq * glideRatio;
        if ((glideRatio < 1 && currentFreq <= targetFreq) || (glideRatio > 1 && currentFreq >= targetFreq)) {
            currentFreq = targetFreq;
            glideRatio = 1;
        }
    }
    const double f = bendFactor * multiplier * currentFreq;
    double w = 0;
    if (f > 0) {
        phase = phase + f * kTwoPi / sampleRate;
        if (phase >= kTwoPi)
            phase -= kTwoPi;
        if (phase >= kTwoPi)
            phase = std::fmod(phase, kTwoPi);
        switch (wave) {
        case kRefSine: w = refSinePoly(phase - kPi); break;
        case kRefTriangle:
        case kRefSquare:
        case kRefSawtooth: w = RefWaveTables::get().readBandLimited(wave, phase, f); break;
        default: w = 0;
        }
    }
    gain.advance(refGainCurve(f));
    const double r = rng.bipolar();
    output = (r * noiseGain + w) * (gain.value * levelGain * envelope.value);
}

void RefOscillator::resetForSampleRate(double rate) {
    sampleRate = rate;
    envelope.sampleRate = rate;
    gain.sampleRate = rate;
    gain.step = std::fabs(1 / (rate * 0.002));
    gain.target = 1;
    gain.value = 1;
    gain.reached = true;
}

// ---- LFO ------------------------------------------------------------------------------

void RefLfo::init(double rate, RefRandom& rng) {
    shape = 0;
    cyclesPerBar = 0;
    output.sampleRate = rate;
    output.target = 0;
    output.value = 0;
    output.step = std::fabs(2 / (rate * 0.001));
    output.reached = true;
    phase = 0;
    phaseOffset = 0;
    increment = 0;
    heldRandom = rng.bipolar();
    sampleRate = rate;
}

double RefLfo::shapeValue(double p) const {
    switch (shape) {
    case 0: return refSinePoly(p * kTwoPi - kPi);
    case 1:
        if (p < 0.25)
            return 4 * p;
        if (p < 0.75)
            return 2 - 4 * p;
        return 4 * p - 4;
    case 2: return p < 0.5 ? 1.0 : -1.0;
    case 3: return 2 * p - 1;
    case 4: return 1 - 2 * p;
    case 5: return heldRandom;
    default: return 0;
    }
}

void RefLfo::tick(RefRandom& rng) {
    phase = phase + increment;
    if (phase >= 1) {
        phase -= 1;
        if (shape == 5)
            heldRandom = rng.bipolar();
    }
    output.advance(shapeValue(phase));
}

void RefLfo::syncToHost(bool transportPlaying, double ppqPos, double tempo) {
    if (transportPlaying) {
        const double a = ppqPos * 0.25 * cyclesPerBar + phaseOffset;
        phase = a - std::floor(a);
    }
    increment = tempo * 0.004166666666666667 * cyclesPerBar / sampleRate;
}

// ---- Voice ------------------------------------------------------------------------------

RefVoice::RefVoice(RefRandom& rng) {
    noteStack.reserve(128);
    lfo.init(44100.0, rng);
    resetForSampleRate(44100.0, rng);
}

void RefVoice::removeKey(int key) {
    auto it = std::find(noteStack.begin(), noteStack.end(), key);
    if (it != noteStack.end())
        noteStack.erase(it);
}

void RefVoice::startAll(double freq) {
    for (auto& o : osc)
        o.startNote(freq);
}

void RefVoice::releaseEnvelopes() {
    for (auto& o : osc)
        o.envelope.release(o.releaseTime);
}

void RefVoice::noteOn(int key) {
    removeKey(key);
    noteStack.push_back(key);
    startAll(refNoteFrequency(key));
}

void RefVoice::noteOff(int key) {
    removeKey(key);
    if (!noteStack.empty() && noteStack.back() != -1) {
        startAll(refNoteFrequency(noteStack.back()));
    } else {
        releaseEnvelopes();
        portaResetCounter = 0;
    }
}

void RefVoice::setPitchBend(int v) {
    const double factor = exact::exp2(v * 0.0001220703125 * bendRange * 0.08333333333333333);
    for (auto& o : osc)
        o.bendFactor = factor;
}

void RefVoice::tick(RefRandom& rng) {
    for (auto& o : osc)
        o.tick(rng);
    lfo.tick(rng);
    if (noteStack.empty() && portaResetSamples > 0) {
        portaResetCounter += 1;
        if (portaResetCounter > portaResetSamples) {
            portaResetCounter = 0;
            for (auto& o : osc)
                o.hasPlayed = false;
        }
    }
    const double u = rng.unipolar();
    output = (u * 5e-6 + ((osc[1].output + osc[0].output) + osc[2].output)) * mainGain *
             ((lfo.output.value - 1) * (lfoDepth * 0.5) + 1);
}

void RefVoice::releaseAll() {
    noteStack.clear();
    releaseEnvelopes();
}

void RefVoice::resetForSampleRate(double rate, RefRandom& rng) {
    sampleRate = rate;
    for (auto& o : osc)
        o.resetForSampleRate(rate);
    lfo.init(rate, rng);
}

}  // namespace kx::ref
