#include "reference_model.h"

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
            const double s = std::sin(static_cast<double>(j) * kTwoPi * 0.00048828125 * static_cast<double>(k));
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
    const double L = std::log(20000.0 / freq) * 1.4426950408889634;
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

double refNoteFrequency(int key) { return 440.0 * std::pow(2.0, (key - 69) * 0.08333333333333333); }

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

void RefOscillator::startNote(double freq) {
    if (envelope.state == RefEnvelope::kIdle || envelope.state == RefEnvelope::kRelease)
        envelope.trigger(attackTime);
    targetFreq = freq;
    const double glideSamples = sampleRate * portaTime;
    if (hasPlayed && glideSamples >= 1) {
        glideRatio = std::pow(freq / currentFreq, 1 / glideSamples);
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
        case kRefSine:
            w = refSinePoly(phase - kPi);
            break;
        case kRefTriangle:
        case kRefSquare:
        case kRefSawtooth:
            w = RefWaveTables::get().readBandLimited(wave, phase, f);
            break;
        default:
            w = 0;
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
    case 0:
        return refSinePoly(p * kTwoPi - kPi);
    case 1:
        if (p < 0.25)
            return 4 * p;
        if (p < 0.75)
            return 2 - 4 * p;
        return 4 * p - 4;
    case 2:
        return p < 0.5 ? 1.0 : -1.0;
    case 3:
        return 2 * p - 1;
    case 4:
        return 1 - 2 * p;
    case 5:
        return heldRandom;
    default:
        return 0;
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

void RefLfo::syncToHost(const VstTimeInfo& info) {
    if (info.flags & kVstTransportPlaying) {
        const double a = info.ppqPos * 0.25 * cyclesPerBar + phaseOffset;
        phase = a - std::floor(a);
    }
    increment = info.tempo * 0.004166666666666667 * cyclesPerBar / sampleRate;
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
    const double factor = std::pow(2.0, v * 0.0001220703125 * bendRange * 0.08333333333333333);
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

// ---- Parameters ----------------------------------------------------------------------------

namespace {

using K = RefParamDef;

// Defaults stored as the classes map them: range (r - min) / (max - min),
// dB 10^(dB / 20).
const RefParamDef kParams[kRefParamCount] = {
    {K::kEnum, 0, 0, 4, 0, 0.0},                                   // Wave1
    {K::kRange, -99, 99, 198, 0, (0.0 + 99) / 198},                // Detune1
    {K::kRange, 0.01, 2, 199, 2, 0.0},                             // Attk1
    {K::kRange, 0.01, 2, 199, 2, 0.0},                             // Rel1
    {K::kRange, 0, 1, 100, 2, 0.0},                                // Porta1
    {K::kDb, 0, 1, 0, 1, 0.0},                                     // Noise1
    {K::kDb, 0, 1, 0, 1, 1.0},                                     // Level1
    {K::kEnum, 0, 0, 4, 0, 0.0},                                   // Wave2
    {K::kRange, 1, 6, 5, 0, 0.0},                                  // Partial2
    {K::kRange, -99, 99, 198, 0, (0.0 + 99) / 198},                // Detune2
    {K::kRange, 0.01, 2, 199, 2, 0.0},                             // Attk2
    {K::kRange, 0.01, 2, 199, 2, 0.0},                             // Rel2
    {K::kRange, 0, 1, 100, 2, 0.0},                                // Porta2
    {K::kDb, 0, 1, 0, 1, 0.0},                                     // Noise2
    {K::kDb, 0, 1, 0, 1, 1.0},                                     // Level2
    {K::kEnum, 0, 0, 4, 0, 0.0},                                   // Wave3
    {K::kRange, 1, 6, 5, 0, 0.0},                                  // Partial3
    {K::kRange, -99, 99, 198, 0, (0.0 + 99) / 198},                // Detune3
    {K::kRange, 0.01, 2, 199, 2, 0.0},                             // Attk3
    {K::kRange, 0.01, 2, 199, 2, 0.0},                             // Rel3
    {K::kRange, 0, 1, 100, 2, 0.0},                                // Porta3
    {K::kDb, 0, 1, 0, 1, 0.0},                                     // Noise3
    {K::kDb, 0, 1, 0, 1, 1.0},                                     // Level3
    {K::kEnum, 0, 0, 6, 0, 0.0},                                   // LFOWave
    {K::kRange, 1, 32, 31, 0, (4.0 - 1) / (32 - 1)},               // LFOFreq
    {K::kRange, 0, 359, 359, 0, 0.0},                              // LFOPhase
    {K::kRange, 0, 100, 100, 0, 0.0},                              // LFODepth
    {K::kRange, 0.1, 5, 49, 1, (2.0 - 0.1) / (5 - 0.1)},           // PortaRst
    {K::kRange, 0, 12, 120, 1, (2.0 - 0) / (12 - 0)},              // PtchBend
    {K::kDb, 0, 1, 0, 1, 0.0},                                     // MainLvl (set below)
};

double clampNormalised(double y) {
    if (!(y >= 0))
        return 0;
    if (y > 1)
        return 1;
    return y;
}

}  // namespace

const RefParamDef& refParam(int index) { return kParams[index]; }

double refToReal(int index, double x) {
    const RefParamDef& p = kParams[index];
    switch (p.kind) {
    case K::kRange:
        if (p.steps > 0)
            x = std::floor(p.steps * x + 0.5) / p.steps;
        return p.minimum + (p.maximum - p.minimum) * x;
    case K::kEnum:
        return std::floor((p.steps - 1) * x + 0.5);
    case K::kDb: {
        const double v = 20 * std::log10(x * 1.0);
        if (!std::isfinite(v))
            return v;
        const double scale = p.decimals > 0 ? std::pow(10.0, p.decimals) : 1.0;
        double y = scale * v;
        y = y >= 0 ? y + 0.5 : y - 0.5;
        return static_cast<int32_t>(y) / scale;
    }
    }
    return 0;
}

double refToNormalised(int index, double r) {
    const RefParamDef& p = kParams[index];
    switch (p.kind) {
    case K::kRange:
        return clampNormalised((r - p.minimum) / (p.maximum - p.minimum));
    case K::kEnum:
        return clampNormalised(r / (p.steps - 1));
    case K::kDb:
        return clampNormalised(std::pow(10.0, r * 0.05) / 1.0);
    }
    return 0;
}

// ---- Instrument ---------------------------------------------------------------------------------

RefSynth::RefSynth(double hostSampleRate, RefRandom* shared)
    : rng_(shared ? *shared : ownRandom_), voice_(rng_) {
    for (auto& program : programs_) {
        for (int i = 0; i < kRefParamCount; ++i)
            program[i] = kParams[i].defaultStored;
        program[29] = refToNormalised(29, -12.5);
    }
    queue_.reserve(512);
    if (hostSampleRate > 0)
        sampleRate_ = hostSampleRate;
    setSampleRate(static_cast<float>(sampleRate_));
}

void RefSynth::setParameterValue(int index, double value) {
    programs_[program_][index] = value;
    parametersChanged();
}

void RefSynth::setParameterReal(int index, double real) { setParameterValue(index, refToNormalised(index, real)); }

void RefSynth::setProgram(int program) {
    if (program >= 0 && program < 10)
        program_ = program;
    parametersChanged();
}

double RefSynth::appliedStored(int index) const {
    const double v = stored(index);
    if (!clampWhenApplying)
        return v;
    return v < 0 ? 0.0 : (v > 1 ? 1.0 : v);
}

void RefSynth::parametersChanged() {
    auto rounded = [](double v) { return static_cast<int>(v >= 0 ? v + 0.5 : v - 0.5); };
    // First index of each oscillator's rows; osc1 has no Partial row.
    const int first[3] = {0, 7, 15};
    for (int o = 0; o < 3; ++o) {
        RefOscillator& osc = voice_.osc[o];
        int i = first[o];
        osc.wave = rounded(appliedUnit(i++));
        osc.partial = o == 0 ? 1.0 : appliedUnit(i++);
        osc.detuneCents = appliedUnit(i++);
        osc.attackTime = appliedUnit(i++);
        osc.releaseTime = appliedUnit(i++);
        osc.portaTime = appliedUnit(i++);
        osc.noiseGain = appliedStored(i++);
        osc.levelGain = appliedStored(i++);
    }
    for (auto& osc : voice_.osc)
        osc.multiplier = std::pow(2.0, osc.detuneCents * 0.0008333333333333334) * osc.partial;
    voice_.lfo.shape = rounded(appliedUnit(23));
    voice_.lfo.cyclesPerBar = appliedUnit(24);
    voice_.lfo.phaseOffset = appliedUnit(25) * 0.002777777777777778;
    voice_.lfoDepth = appliedUnit(26) * 0.01;
    voice_.bendRange = appliedUnit(28);
    voice_.portaResetCounter = 0;
    voice_.portaResetSeconds = appliedUnit(27);
    voice_.portaResetSamples = static_cast<int32_t>(voice_.portaResetSeconds * voice_.sampleRate);
    voice_.mainGain = std::pow(10.0, appliedUnit(29) * 0.05);
}

void RefSynth::setSampleRate(float rate) {
    // Zero, negative or non-finite rates would put NaN or runaway values in
    // phases that are never reset; such a request changes nothing.
    if (!(rate > 0 && std::isfinite(rate)))
        return;
    sampleRate_ = rate;
    queue_.clear();
    readPos_ = 0;
    sampleCounter_ = 0;
    voice_.resetForSampleRate(static_cast<double>(rate), rng_);
    resetEngine();
}

void RefSynth::resetEngine() {
    queue_.clear();
    readPos_ = 0;
    sampleCounter_ = 0;
    voice_.releaseAll();
    parametersChanged();
}

void RefSynth::processEvents(const std::vector<VstMidiEvent>& events) {
    queue_.clear();
    readPos_ = 0;
    sampleCounter_ = 0;
    for (const VstMidiEvent& e : events)
        if (e.type == kVstMidiType && queue_.size() < 512)
            queue_.push_back(e);
}

void RefSynth::processMidiEvent(const VstMidiEvent& event) {
    const int status = static_cast<unsigned char>(event.midiData[0]) & 0xF0;
    const int d1 = static_cast<unsigned char>(event.midiData[1]) & 0x7F;
    const int d2 = static_cast<unsigned char>(event.midiData[2]) & 0x7F;
    if (status == 0x80 || status == 0x90) {
        if (status == 0x90 && d2 > 0)
            voice_.noteOn(d1);
        else
            voice_.noteOff(d1);
    } else if (status == 0xE0) {
        voice_.setPitchBend((d2 - 64) * 128 + d1);
    }
}

void RefSynth::processDouble(double* out, int frames, const VstTimeInfo* info) {
    if (info && (info->flags & kVstPpqPosValid) && (info->flags & kVstTempoValid))
        voice_.lfo.syncToHost(*info);
    for (int i = 0; i < frames; ++i) {
        while (readPos_ < queue_.size() && queue_[readPos_].deltaFrames == sampleCounter_) {
            processMidiEvent(queue_[readPos_]);
            ++readPos_;
        }
        sampleCounter_ += 1;
        voice_.tick(rng_);
        out[i] = voice_.output;
    }
}

// ---- Patch commands ---------------------------------------------------------------------------

void RefSynth::executeCommand(int command, bool shift, bool /*control*/) {
    switch (command) {
    case 0:
        autoLevel();
        break;
    case 1:
        if (shift)
            partRandom();
        else
            fullRandom();
        break;
    case 2:
        fullRandom();
        break;
    case 3:
        partRandom();
        break;
    default:
        break;
    }
}

void RefSynth::autoLevel() {
    const double sum = ((((stored(5) + stored(6)) + stored(14)) + stored(13)) + stored(22)) + stored(21);
    double g = 1;
    if (sum > 0) {
        g = std::pow(10.0, -0.15000000000000002) / sum;
        if (g > 1)
            g = 1;
    }
    setParameter(29, static_cast<float>(g));
}

void RefSynth::fullRandom() {
    const double portaReset = stored(27);
    const double bend = stored(28);
    for (int i = 0; i < kRefParamCount; ++i)
        setParameterValue(i, rng_.unipolar());
    setParameterValue(5, 0.3 * rng_.unipolar());
    setParameterValue(13, 0.3 * rng_.unipolar());
    setParameterValue(21, 0.3 * rng_.unipolar());
    setParameterValue(27, portaReset);
    setParameterValue(28, bend);
    autoLevel();
}

void RefSynth::partRandom() {
    auto U = [this] { return rng_.unipolar(); };
    setParameterValue(0, U());
    setParameterReal(1, 20 * U() - 10);
    setParameterReal(2, 0.49 * U() + 0.01);
    setParameterReal(3, 1.99 * U() + 0.1);
    setParameterReal(4, 0.25 * U());
    setParameterValue(5, 0.2 * U());
    setParameterReal(6, 0);
    setParameterValue(7, U());
    setParameterReal(8, 3 * U() + 2);
    setParameterReal(9, 20 * U() - 10);
    setParameterReal(10, 0.49 * U() + 0.01);
    setParameterReal(11, 1.99 * U() + 0.1);
    setParameterReal(12, 0.25 * U());
    setParameterValue(13, 0.2 * U());
    setParameterReal(14, 12 * U() - 12);
    setParameterValue(15, U());
    const double P = unitValue(8);
    setParameterReal(16, U() * (6 - P) + (P + 1));
    setParameterReal(17, 20 * U() - 10);
    setParameterReal(18, 0.49 * U() + 0.01);
    setParameterReal(19, 1.99 * U() + 0.1);
    setParameterReal(20, 0.25 * U());
    setParameterValue(21, 0.2 * U());
    setParameterReal(22, 12 * U() - 12);
    setParameterValue(23, U());
    setParameterValue(24, U());
    setParameterValue(25, U());
    setParameterValue(26, U());
    autoLevel();
}

}  // namespace kx::ref
