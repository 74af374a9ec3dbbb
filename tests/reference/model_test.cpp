// The reference model against the instrument's published figures, so that
// an agreement with the plug-in means both are right, not both wrong alike.
#include "reference_model.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kx::ref {
namespace {

TEST(ReferenceModel, ParameterMappingWorkedValues) {
    EXPECT_EQ(refToReal(1, 0.5), 0.0);  // Detune 0.5 -> 0 cents
    EXPECT_EQ(refToReal(1, 0.25), -49.0);
    EXPECT_EQ(refToReal(2, 0.0), 0.01);  // Attack range ends
    EXPECT_EQ(refToReal(2, 1.0), 2.0);
    EXPECT_EQ(refToReal(8, 0.5), 4.0);   // Partial2 rounds half up
    EXPECT_EQ(refToReal(6, 0.5), -6.0);  // dB cut to one decimal
    EXPECT_TRUE(std::isinf(refToReal(29, 0.0)));
    EXPECT_EQ(refToNormalised(29, -12.5), 0.23713737056616552);
    EXPECT_EQ(refToReal(23, 0.1), 1.0);  // six entries
    EXPECT_EQ(refToReal(23, 0.09), 0.0);
    EXPECT_EQ(refToNormalised(1, -1000), 0.0);  // clamped both ways
    EXPECT_EQ(refToNormalised(1, INFINITY), 1.0);
    EXPECT_EQ(refToNormalised(14, -INFINITY), 0.0);
}

TEST(ReferenceModel, DefaultsReachTheVoice) {
    RefSynth synth;
    const RefVoice& v = synth.voice();
    EXPECT_DOUBLE_EQ(v.mainGain, 0.23713737056616552);
    EXPECT_EQ(v.lfo.cyclesPerBar, 4.0);
    EXPECT_EQ(v.bendRange, 2.0);
    EXPECT_EQ(v.portaResetSamples, 88200);
    for (const RefOscillator& o : v.osc) {
        EXPECT_EQ(o.multiplier, 1.0);
        EXPECT_EQ(o.attackTime, 0.01);
        EXPECT_EQ(o.levelGain, 1.0);
        EXPECT_EQ(o.noiseGain, 0.0);
    }
}

TEST(ReferenceModel, PitchLoudnessAndBend) {
    EXPECT_EQ(refNoteFrequency(69), 440.0);
    EXPECT_EQ(refGainCurve(9.999), 0.0);
    EXPECT_EQ(refGainCurve(30), 1.0);
    EXPECT_NEAR(refGainCurve(10000), 0.49, 1e-12);
    EXPECT_EQ(refGainCurve(17500), 0.0);
    RefRandom rng;
    RefVoice voice(rng);
    voice.bendRange = 2;
    voice.setPitchBend((64 - 64) * 128 + 0);
    EXPECT_EQ(voice.osc[2].bendFactor, 1.0);
    voice.setPitchBend((0 - 64) * 128 + 0);
    EXPECT_DOUBLE_EQ(voice.osc[0].bendFactor, std::pow(2.0, -2.0 / 12));
    voice.setPitchBend((127 - 64) * 128 + 127);
    EXPECT_DOUBLE_EQ(voice.osc[1].bendFactor, std::pow(2.0, 8191.0 / 8192 * 2 / 12));
}

TEST(ReferenceModel, EnvelopeSegmentsLastTheirTime) {
    RefEnvelope env;
    env.trigger(0.01);
    int samples = 0;
    while (env.state == RefEnvelope::kAttack) {
        env.tick();
        ++samples;
    }
    EXPECT_GE(samples, 441);
    EXPECT_LE(samples, 442);
    EXPECT_EQ(env.value, 1.0);
    // Release during the attack falls from the level reached; a new attack
    // from the release level still takes its full time.
    env.release(0.02);
    for (int i = 0; i < 441; ++i)
        env.tick();
    EXPECT_NEAR(env.value, 0.25, 1e-3);
    env.trigger(0.01);
    samples = 0;
    while (env.state == RefEnvelope::kAttack) {
        env.tick();
        ++samples;
    }
    EXPECT_GE(samples, 441);
    // A release from idle stays at 0 and ends idle.
    RefEnvelope idle;
    idle.release(0.01);
    for (int i = 0; i < 450; ++i)
        idle.tick();
    EXPECT_EQ(idle.state, RefEnvelope::kIdle);
    EXPECT_EQ(idle.value, 0.0);
}

TEST(ReferenceModel, WaveTableShapesAndLevels) {
    const RefWaveTables& t = RefWaveTables::get();
    EXPECT_NEAR(t.sample(kRefTriangle, 11, 512), 1.0, 1e-3);
    EXPECT_NEAR(t.sample(kRefTriangle, 11, 1536), -1.0, 1e-3);
    EXPECT_NEAR(t.sample(kRefSquare, 11, 300), 1.0, 0.02);
    EXPECT_NEAR(t.sample(kRefSquare, 11, 1300), -1.0, 0.02);
    EXPECT_NEAR(t.sample(kRefSawtooth, 11, 200), 1.0 - 2.0 * 200 / 2048, 0.02);
    EXPECT_NEAR(t.sample(kRefSawtooth, 11, 1848), -1.0 + 2.0 * 200 / 2048, 0.02);
    for (int j = 0; j < 2048; j += 97) {
        EXPECT_EQ(t.sample(kRefSawtooth, 9, j), t.sample(kRefSawtooth, 11, j));
        EXPECT_EQ(t.sample(kRefSquare, 10, j), t.sample(kRefSquare, 11, j));
    }
    // Level 0 is the pure fundamental.
    EXPECT_NEAR(t.sample(kRefSquare, 0, 512), 1.2732395447351628, 1e-12);
}

TEST(ReferenceModel, LfoIncrementFollowsTempo) {
    RefRandom rng;
    RefLfo lfo;
    lfo.init(44100, rng);
    lfo.cyclesPerBar = 4;
    lfo.phaseOffset = 0.25;
    VstTimeInfo info{};
    info.tempo = 120;
    info.flags = kVstTransportPlaying;
    lfo.syncToHost((info.flags & kVstTransportPlaying) != 0, info.ppqPos, info.tempo);
    EXPECT_NEAR(lfo.increment, 4.5351473922902494e-05, 1e-18);
    EXPECT_EQ(lfo.phase, 0.25);
    info.flags = 0;
    info.ppqPos = 3.3;
    lfo.syncToHost((info.flags & kVstTransportPlaying) != 0, info.ppqPos, info.tempo);
    EXPECT_EQ(lfo.phase, 0.25);  // stopped transport keeps the phase
}

TEST(ReferenceModel, PatchCommandsKeepTheirRanges) {
    RefSynth synth;
    synth.setParameterValue(14, 0);
    synth.setParameterValue(22, 0);
    synth.autoLevel();
    EXPECT_EQ(synth.stored(29), static_cast<double>(static_cast<float>(0.7079457843841379)));
    synth.setParameterValue(14, 1);
    synth.setParameterValue(22, 1);
    synth.autoLevel();
    EXPECT_EQ(synth.stored(29), static_cast<double>(static_cast<float>(0.7079457843841379 / 3)));
    for (int round = 0; round < 50; ++round) {
        synth.partRandom();
        EXPECT_EQ(synth.unitValue(6), 0.0);
        for (int i : {2, 10, 18}) {
            EXPECT_GE(synth.unitValue(i), 0.01);
            EXPECT_LE(synth.unitValue(i), 0.5);
        }
        for (int i : {4, 12, 20})
            EXPECT_LE(synth.unitValue(i), 0.25);
        for (int i : {1, 9, 17})
            EXPECT_LE(std::fabs(synth.unitValue(i)), 10.0);
        EXPECT_GT(synth.unitValue(16), synth.unitValue(8));
        synth.fullRandom();
        for (int i : {5, 13, 21})
            EXPECT_LE(synth.stored(i), 0.3);
        EXPECT_EQ(synth.stored(27), refParam(27).defaultStored);
    }
}

}  // namespace
}  // namespace kx::ref
