#include <gtest/gtest.h>

#include <cmath>

#include "engine/oscillator.h"
#include "reference/reference_voice.h"

namespace kx {
namespace {

void copySettings(const ref::RefOscillator& from, Oscillator& to) {
    to.wave = from.wave;
    to.partial = from.partial;
    to.detuneCents = from.detuneCents;
    to.attackTime = from.attackTime;
    to.releaseTime = from.releaseTime;
    to.portaTime = from.portaTime;
    to.noiseGain = from.noiseGain;
    to.levelGain = from.levelGain;
    to.bendFactor = from.bendFactor;
    to.updateMultiplier();
}

TEST(Oscillator, MatchesLiteralTwinBitForBitAcrossWavesNotesAndGlides) {
    struct Setting {
        int wave;
        double partial, detune, porta, noise, bend;
    };
    const Setting settings[] = {
        {0, 1, 0, 0, 0, 1},          {1, 2, 13, 0.05, 0.1, 1}, {2, 3, -99, 0.25, 0, 1.05},
        {3, 6, 99, 0.01, 0.3, 0.89}, {3, 1, 0, 1.0, 0, 1},     {7, 1, 0, 0, 0.5, 1},  // silent wave, noise only
        {1, 6, 99, 0, 0, 2.0},       {2, 6, 99, 0.1, 0, 2.0},                         // beyond 40 kHz for high keys
    };
    const int keys[] = {69, 21, 108, 45, 127, 0, 60};
    for (const Setting& s : settings) {
        Oscillator osc;
        ref::RefOscillator twin;
        twin.wave = s.wave;
        twin.partial = s.partial;
        twin.detuneCents = s.detune;
        twin.portaTime = s.porta;
        twin.noiseGain = s.noise;
        twin.levelGain = 0.8;
        twin.bendFactor = s.bend;
        twin.attackTime = 0.003;
        twin.updateMultiplier();
        copySettings(twin, osc);
        for (int key : keys) {
            const double f = 440 * std::pow(2.0, (key - 69) * 0.08333333333333333);
            osc.startNote(f);
            twin.startNote(f);
            for (int i = 0; i < 3000; ++i) {
                ref::RefRandom rng{Random::stateZ(), Random::stateW()};
                osc.tick();
                twin.tick(rng);
                ASSERT_EQ(osc.output, twin.output) << "wave " << s.wave << " key " << key << " sample " << i;
                ASSERT_EQ(osc.phase, twin.phase);
            }
        }
    }
}

TEST(Oscillator, SilentBeforeFirstNoteWhateverTheNoise) {
    Oscillator osc;
    osc.noiseGain = 1.0;
    osc.levelGain = 1.0;
    for (int i = 0; i < 100; ++i) {
        osc.tick();
        ASSERT_EQ(osc.output, 0.0);
    }
    EXPECT_EQ(osc.phase, 0.0);
    EXPECT_EQ(osc.gain.target, 0.0);  // the loudness curve aims at silence for f = 0
}

TEST(Oscillator, MultiplierFromDetuneAndPartial) {
    Oscillator osc;
    osc.detuneCents = 99;
    osc.updateMultiplier();
    EXPECT_NEAR(osc.multiplier, 1.0588513, 1e-7);
    osc.detuneCents = 0;
    osc.partial = 6;
    osc.updateMultiplier();
    EXPECT_EQ(osc.multiplier, 6.0);
}

TEST(Oscillator, GainCurveBreakpoints) {
    EXPECT_EQ(Oscillator::gainCurve(0.0), 0.0);
    EXPECT_EQ(Oscillator::gainCurve(9.999), 0.0);
    EXPECT_EQ(Oscillator::gainCurve(10.0), 0.0);
    EXPECT_DOUBLE_EQ(Oscillator::gainCurve(20.0), 0.25);
    EXPECT_EQ(Oscillator::gainCurve(30.0), 1.0);
    EXPECT_NEAR(Oscillator::gainCurve(9999.999), 0.49, 1e-6);
    EXPECT_DOUBLE_EQ(Oscillator::gainCurve(10000.0), 0.49);
    EXPECT_NEAR(Oscillator::gainCurve(17499.999), 0.0, 1e-12);
    EXPECT_EQ(Oscillator::gainCurve(17500.0), 0.0);
    EXPECT_EQ(Oscillator::gainCurve(1e9), 0.0);
}

TEST(Oscillator, LoudnessCurveChoosesTheArmOfTheLiteralCurve) {
    for (double f :
         {-1.0, 0.0, 9.999, 10.0, 10.5, 29.999, 30.0, 440.0, 9999.99, 10000.0, 12345.6, 17499.9, 17500.0, 1e9}) {
        EXPECT_EQ(Oscillator::gainCurve(f), ref::refGainCurve(f)) << f;
    }
    EXPECT_EQ(Oscillator::gainCurve(std::nan("")), 0.0);
}

TEST(Oscillator, GlideIsExponentialAndRestartsFromWhereItStands) {
    Oscillator osc;
    osc.portaTime = 0.01;  // 441 samples
    osc.startNote(220.0);
    EXPECT_EQ(osc.currentFreq, 220.0);  // first note: no glide
    osc.startNote(440.0);
    EXPECT_EQ(osc.currentFreq, 220.0);
    EXPECT_NEAR(osc.glideRatio, std::pow(2.0, 1 / 441.0), 1e-15);
    for (int i = 0; i < 220; ++i)
        osc.tick();
    const double midway = osc.currentFreq;
    EXPECT_NEAR(midway, 220.0 * std::pow(2.0, 220 / 441.0), 1e-9);
    osc.startNote(110.0);
    EXPECT_EQ(osc.currentFreq, midway);  // from the intermediate frequency
    EXPECT_NEAR(osc.glideRatio, std::pow(110.0 / midway, 1 / 441.0), 1e-15);
    int n = 0;
    while (osc.glideRatio != 1.0 && n < 1000) {
        osc.tick();
        ++n;
    }
    EXPECT_GE(n, 440);
    EXPECT_LE(n, 442);
    EXPECT_EQ(osc.currentFreq, 110.0);
}

TEST(Oscillator, ShortPortamentoOrResetJumps) {
    Oscillator osc;
    osc.portaTime = 0.00002;  // below one sample
    osc.startNote(220.0);
    osc.startNote(440.0);
    EXPECT_EQ(osc.currentFreq, 440.0);
    EXPECT_EQ(osc.glideRatio, 1.0);
    osc.portaTime = 0.5;
    osc.hasPlayed = false;  // portamento reset
    osc.startNote(880.0);
    EXPECT_EQ(osc.currentFreq, 880.0);
}

TEST(Oscillator, FrequenciesAboveTheSampleRateStaySilentAndInRange) {
    Oscillator osc;
    osc.levelGain = 1.0;
    osc.partial = 6;
    osc.detuneCents = 99;
    osc.bendFactor = 2.0;
    osc.updateMultiplier();
    for (int wave = 0; wave < 4; ++wave) {
        osc.wave = wave;
        osc.startNote(440 * std::pow(2.0, (127 - 69) / 12.0));  // key 127
        for (int i = 0; i < 2000; ++i) {
            osc.tick();
            ASSERT_GE(osc.phase, 0.0);
            ASSERT_LT(osc.phase, Oscillator::kTwoPi);
            ASSERT_TRUE(std::isfinite(osc.output));
        }
        // The loudness smoothing has had time to close completely.
        EXPECT_EQ(osc.gain.value, 0.0);
        EXPECT_EQ(osc.output, 0.0);
    }
}

TEST(Oscillator, SampleRateResetKeepsPhaseGlideAndEnvelope) {
    Oscillator osc;
    osc.levelGain = 1.0;
    osc.portaTime = 0.1;
    osc.startNote(100.0);
    osc.startNote(200.0);
    for (int i = 0; i < 50; ++i)
        osc.tick();
    const double phase = osc.phase, freq = osc.currentFreq, env = osc.envelope.value;
    osc.resetForSampleRate(96000.0);
    EXPECT_EQ(osc.phase, phase);
    EXPECT_EQ(osc.currentFreq, freq);
    EXPECT_EQ(osc.envelope.value, env);
    EXPECT_EQ(osc.envelope.sampleRate, 96000.0);
    EXPECT_EQ(osc.gain.value, 1.0);
    EXPECT_DOUBLE_EQ(osc.gain.step, 1.0 / 192.0);
    // The phase advances at the new rate from the next sample.
    osc.tick();
    EXPECT_NEAR(osc.phase - phase, freq * osc.glideRatio * Oscillator::kTwoPi / 96000.0, 1e-12);
}

}  // namespace
}  // namespace kx
