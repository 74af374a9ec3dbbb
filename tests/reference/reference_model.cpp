#include "reference_model.h"

#include "engine/exact_math.h"

#include <algorithm>
#include <cmath>

namespace kx::ref {

// ---- Parameters ----------------------------------------------------------------------------

namespace {

using K = RefParamDef;

// Defaults stored as the classes map them: range (r - min) / (max - min),
// dB 10^(dB / 20).
const RefParamDef kParams[kRefParamCount] = {
    {K::kEnum, 0, 0, 4, 0, 0.0},                          // Wave1
    {K::kRange, -99, 99, 198, 0, (0.0 + 99) / 198},       // Detune1
    {K::kRange, 0.01, 2, 199, 2, 0.0},                    // Attk1
    {K::kRange, 0.01, 2, 199, 2, 0.0},                    // Rel1
    {K::kRange, 0, 1, 100, 2, 0.0},                       // Porta1
    {K::kDb, 0, 1, 0, 1, 0.0},                            // Noise1
    {K::kDb, 0, 1, 0, 1, 1.0},                            // Level1
    {K::kEnum, 0, 0, 4, 0, 0.0},                          // Wave2
    {K::kRange, 1, 6, 5, 0, 0.0},                         // Partial2
    {K::kRange, -99, 99, 198, 0, (0.0 + 99) / 198},       // Detune2
    {K::kRange, 0.01, 2, 199, 2, 0.0},                    // Attk2
    {K::kRange, 0.01, 2, 199, 2, 0.0},                    // Rel2
    {K::kRange, 0, 1, 100, 2, 0.0},                       // Porta2
    {K::kDb, 0, 1, 0, 1, 0.0},                            // Noise2
    {K::kDb, 0, 1, 0, 1, 1.0},                            // Level2
    {K::kEnum, 0, 0, 4, 0, 0.0},                          // Wave3
    {K::kRange, 1, 6, 5, 0, 0.0},                         // Partial3
    {K::kRange, -99, 99, 198, 0, (0.0 + 99) / 198},       // Detune3
    {K::kRange, 0.01, 2, 199, 2, 0.0},                    // Attk3
    {K::kRange, 0.01, 2, 199, 2, 0.0},                    // Rel3
    {K::kRange, 0, 1, 100, 2, 0.0},                       // Porta3
    {K::kDb, 0, 1, 0, 1, 0.0},                            // Noise3
    {K::kDb, 0, 1, 0, 1, 1.0},                            // Level3
    {K::kEnum, 0, 0, 6, 0, 0.0},                          // LFOWave
    {K::kRange, 1, 32, 31, 0, (4.0 - 1) / (32 - 1)},      // LFOFreq
    {K::kRange, 0, 359, 359, 0, 0.0},                     // LFOPhase
    {K::kRange, 0, 100, 100, 0, 0.0},                     // LFODepth
    {K::kRange, 0.1, 5, 49, 1, (2.0 - 0.1) / (5 - 0.1)},  // PortaRst
    {K::kRange, 0, 12, 120, 1, (2.0 - 0) / (12 - 0)},     // PtchBend
    {K::kDb, 0, 1, 0, 1, 0.0},                            // MainLvl (set below)
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
    case K::kEnum: return std::floor((p.steps - 1) * x + 0.5);
    case K::kDb: {
        const double v = 20 * exact::log10(x * 1.0);
        if (!std::isfinite(v))
            return v;
        double scale = 1;
        for (int i = 0; i < p.decimals; ++i)
            scale *= 10;
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
    case K::kRange: return clampNormalised((r - p.minimum) / (p.maximum - p.minimum));
    case K::kEnum: return clampNormalised(r / (p.steps - 1));
    case K::kDb: return clampNormalised(exact::exp10(r * 0.05) / 1.0);
    }
    return 0;
}

// ---- Instrument ---------------------------------------------------------------------------------

RefSynth::RefSynth(double hostSampleRate, RefRandom* shared) : rng_(shared ? *shared : ownRandom_), voice_(rng_) {
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
        osc.updateMultiplier();
    voice_.lfo.shape = rounded(appliedUnit(23));
    voice_.lfo.cyclesPerBar = appliedUnit(24);
    voice_.lfo.phaseOffset = appliedUnit(25) * 0.002777777777777778;
    voice_.lfoDepth = appliedUnit(26) * 0.01;
    voice_.bendRange = appliedUnit(28);
    voice_.portaResetCounter = 0;
    voice_.portaResetSeconds = appliedUnit(27);
    voice_.portaResetSamples = static_cast<int32_t>(voice_.portaResetSeconds * voice_.sampleRate);
    voice_.mainGain = exact::exp10(appliedUnit(29) * 0.05);
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
        voice_.lfo.syncToHost((info->flags & kVstTransportPlaying) != 0, info->ppqPos, info->tempo);
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
    case 0: autoLevel(); break;
    case 1:
        if (shift)
            partRandom();
        else
            fullRandom();
        break;
    case 2: fullRandom(); break;
    case 3: partRandom(); break;
    default: break;
    }
}

void RefSynth::autoLevel() {
    const double sum = ((((stored(5) + stored(6)) + stored(14)) + stored(13)) + stored(22)) + stored(21);
    double g = 1;
    if (sum > 0) {
        g = exact::exp10(-0.15000000000000002) / sum;
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
