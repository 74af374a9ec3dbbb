#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "synth_host.h"

namespace kx::test {
namespace {

void setAllLevels(Instance& inst, float l1, float n1, float l2, float n2, float l3, float n3) {
    inst.set(kLevel1, l1);
    inst.set(kNoise1, n1);
    inst.set(kLevel2, l2);
    inst.set(kNoise2, n2);
    inst.set(kLevel3, l3);
    inst.set(kNoise3, n3);
}

TEST(PatchCommands, AutoLevelAimsAtMinusThreeDecibels) {
    SynthHost host;
    Instance inst;
    setAllLevels(inst, 0, 0, 0, 0, 0, 0);
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    EXPECT_EQ(inst.synth->getParameterValue(kMainLvl), 1.0);
    EXPECT_EQ(inst.synth->getVoice().mainGain, 1.0);

    setAllLevels(inst, 1, 0, 0, 0, 0, 0);
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    EXPECT_EQ(inst.synth->getParameterValue(kMainLvl), static_cast<float>(0.7079457843841379));
    EXPECT_NEAR(inst.synth->getVoice().mainGain, 0.7079457843841379, 0.012);  // within the 0.1 dB display step

    setAllLevels(inst, 1, 0, 1, 0, 1, 0);
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    EXPECT_EQ(inst.synth->getParameterValue(kMainLvl), static_cast<float>(0.7079457843841379 / 3));

    setAllLevels(inst, 0.1f, 0, 0, 0.05f, 0, 0);  // would need gain above 1
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    EXPECT_EQ(inst.synth->getParameterValue(kMainLvl), 1.0);
}

// A host (or a damaged chunk) may store levels outside 0..1; the voice plays
// them clamped, so Auto Level must sum what is played.
TEST(PatchCommands, AutoLevelSumsTheLevelsAsTheVoicePlaysThem) {
    SynthHost host;
    Instance inst;
    setAllLevels(inst, 1, -2, 1, 0, 1, 0);  // plays as three full levels
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    EXPECT_EQ(inst.synth->getParameterValue(kMainLvl), static_cast<float>(0.7079457843841379 / 3));

    setAllLevels(inst, 4, 0, 0, 0, 0, 0);  // plays as one full level
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    EXPECT_EQ(inst.synth->getParameterValue(kMainLvl), static_cast<float>(0.7079457843841379));

    // Three sines in phase with a stored sum of 1 used to peak near +6 dBFS.
    setAllLevels(inst, 1, -2, 1, 0, 1, 0);
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    EventList list;
    list.noteOn(0, 69);
    list.send(inst);
    float peak = 0;
    for (float v : inst.render(8192))
        peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.5f);
    EXPECT_LT(peak, 0.75f);  // -3 dBFS aimed at, within the 0.1 dB display step
}

TEST(PatchCommands, FullRandomKeepsPortaResetAndBendRangeAndLimitsNoise) {
    SynthHost host;
    Instance inst;
    inst.set(kPortaRst, 0.3f);
    inst.set(kPtchBend, 0.9f);
    const double portaReset = inst.synth->getParameterValue(kPortaRst);
    const double bend = inst.synth->getParameterValue(kPtchBend);
    for (int round = 0; round < 20; ++round) {
        const auto z = Random::stateZ(), w = Random::stateW();
        inst.synth->executeCommand(kCmdFullRandom, false, false);
        EXPECT_EQ(inst.synth->getParameterValue(kPortaRst), portaReset);
        EXPECT_EQ(inst.synth->getParameterValue(kPtchBend), bend);
        for (int i : {kNoise1, kNoise2, kNoise3})
            EXPECT_LE(inst.synth->getParameterValue(i), 0.3);
        // 33 draws: the generator is where 33 steps from the start put it.
        Random::setState(z, w);
        for (int i = 0; i < 33; ++i)
            Random::next();
        const auto z33 = Random::stateZ();
        Random::setState(z, w);
        inst.synth->executeCommand(kCmdFullRandom, false, false);
        EXPECT_EQ(Random::stateZ(), z33);
    }
}

TEST(PatchCommands, PartRandomStaysPlayable) {
    SynthHost host;
    Instance inst;
    for (int round = 0; round < 50; ++round) {
        const auto z = Random::stateZ(), w = Random::stateW();
        inst.synth->executeCommand(kCmdPartRandom, false, false);
        const SynthVoice& v = inst.synth->getVoice();
        EXPECT_EQ(v.osc1.levelGain, 1.0);
        for (const Oscillator* o : {&v.osc1, &v.osc2, &v.osc3}) {
            EXPECT_GE(o->attackTime, 0.01 - 1e-12);
            EXPECT_LE(o->attackTime, 0.5 + 1e-12);
            EXPECT_LE(o->portaTime, 0.25 + 1e-12);
            EXPECT_LE(std::fabs(o->detuneCents), 10.0);
            EXPECT_LE(o->noiseGain, 0.2);
            EXPECT_LE(o->releaseTime, 2.0);
            EXPECT_GE(o->levelGain, 0.251188643150958 - 1e-9);
        }
        EXPECT_GE(v.osc2.partial, 2.0);
        EXPECT_LE(v.osc2.partial, 5.0);
        EXPECT_GE(v.osc3.partial, v.osc2.partial + 1);
        EXPECT_LE(v.osc3.partial, 6.0);
        Random::setState(z, w);
        for (int i = 0; i < 26; ++i)
            Random::next();
        const auto z26 = Random::stateZ();
        Random::setState(z, w);
        inst.synth->executeCommand(kCmdPartRandom, false, false);
        EXPECT_EQ(Random::stateZ(), z26);  // 26 draws
    }
}

TEST(PatchCommands, RandomCommandFollowsShift) {
    SynthHost host;
    Instance a, b;
    for (bool shift : {true, false}) {
        Random::setState(99, 77);
        a.synth->executeCommand(kCmdRandom, shift, false);
        Random::setState(99, 77);
        b.synth->executeCommand(shift ? kCmdPartRandom : kCmdFullRandom, false, true);
        for (int i = 0; i < kSynthParamCount; ++i)
            EXPECT_EQ(a.synth->getParameterValue(i), b.synth->getParameterValue(i)) << shift << " " << i;
    }
    const double before = a.synth->getParameterValue(kWave1);
    a.synth->executeCommand(7, true, true);
    EXPECT_EQ(a.synth->getParameterValue(kWave1), before);
}

}  // namespace
}  // namespace kx::test
