// The instrument's 30 parameters and its four commands.
#include "instrument/synth_effect.h"

#include "params/db_param.h"
#include "params/enum_param.h"
#include "params/range_param.h"

#include <cstdio>

namespace kx {

namespace {

const char* const kOscWaves[] = {"Sine", "Triangle", "Square", "Sawtooth"};
const char* const kLfoWaves[] = {"Sine", "Triangle", "Square", "Rising", "Falling", "Random"};

template <size_t N>
KParam* makeEnum(const char* name, const char* const (&entries)[N]) {
    auto* p = new KEnumParam;
    p->setName(name);
    p->setEntryCount(static_cast<int>(N));
    for (size_t i = 0; i < N; ++i)
        p->setEntry(static_cast<int>(i), entries[i]);
    p->setDefault(0.0);
    return p;
}

KParam* makeRange(const char* name, const char* units, double minimum, double maximum, int steps, double defaultReal,
                  int decimals) {
    auto* p = new KRangeParam;
    p->setName(name);
    p->setUnits(units);
    p->setRange(minimum, maximum, steps);
    p->setDefaultReal(defaultReal);
    p->setDecimals(decimals);
    return p;
}

// Gains shown in dB with one decimal, reference gain 1. Most defaults are
// stored gains; the main level's is given in dB.
enum class GainDefault { Stored, Decibels };

KParam* makeGain(const char* name, double defaultValue, GainDefault kind = GainDefault::Stored) {
    auto* p = new KdBParam;
    p->setName(name);
    p->setUnits("dB");
    if (kind == GainDefault::Decibels)
        p->setDefaultReal(defaultValue);
    else
        p->setDefault(defaultValue);
    p->setDecimals(1);
    return p;
}

}  // namespace

void SynthEffect::createParameters() {
    getParamList().resize(kSynthParamCount);
    for (int n = 0; n < kOscillatorCount; ++n) {
        const OscillatorParams& o = kOscillatorParams[n];
        char name[kParamNameLength + 1];
        auto named = [&](const char* stem) {
            std::snprintf(name, sizeof name, "%s%d", stem, n + 1);
            return name;
        };
        addParam(o.wave, makeEnum(named("Wave"), kOscWaves));
        if (o.partial != OscillatorParams::kNoPartial)
            addParam(o.partial, makeRange(named("Partial"), "", 1, 6, 5, 1, 0));
        addParam(o.detune, makeRange(named("Detune"), "cents", -99, 99, 198, 0, 0));
        addParam(o.attack, makeRange(named("Attk"), "s", 0.01, 2, 199, 0.01, 2));
        addParam(o.release, makeRange(named("Rel"), "s", 0.01, 2, 199, 0.01, 2));
        addParam(o.porta, makeRange(named("Porta"), "s", 0, 1, 100, 0, 2));
        addParam(o.noise, makeGain(named("Noise"), 0.0));
        addParam(o.level, makeGain(named("Level"), 1.0));
    }
    addParam(kLFOWave, makeEnum("LFOWave", kLfoWaves));
    addParam(kLFOFreq, makeRange("LFOFreq", "per bar", 1, 32, 31, 4, 0));
    addParam(kLFOPhase, makeRange("LFOPhase", "deg", 0, 359, 359, 0, 0));
    addParam(kLFODepth, makeRange("LFODepth", "%", 0, 100, 100, 0, 0));
    addParam(kPortaRst, makeRange("PortaRst", "s", 0.1, 5, 49, 2, 1));
    addParam(kPtchBend, makeRange("PtchBend", "semis", 0, 12, 120, 2, 1));
    addParam(kMainLvl, makeGain("MainLvl", -12.5, GainDefault::Decibels));
}

void SynthEffect::createCommands() {
    KCommandList& commands = getCommandList();
    commands.add(new KEffectCommand("AutoLevel", kCmdAutoLevel));
    commands.add(new KEffectCommand("Random", kCmdRandom));
    commands.add(new KEffectCommand("FullRnd", kCmdFullRandom));
    commands.add(new KEffectCommand("PartRnd", kCmdPartRandom));
}

}  // namespace kx
