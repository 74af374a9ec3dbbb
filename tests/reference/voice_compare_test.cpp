// The plug-in against the reference model: held notes, waveforms, note
// handling, portamento, pitch bend and noise.
#include "twin.h"

#include <gtest/gtest.h>

namespace kx::ref {
namespace {

// Stored values that select entry i of an n-entry list.
float entry(int i, int n) { return static_cast<float>(i) / static_cast<float>(n - 1); }

class VoiceCompare : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(twin.start(&error)) << error;
    }
    // Osc wave rows: 0, 7, 15.
    void setWaves(int w1, int w2, int w3) {
        twin.setParameter(0, entry(w1, 4));
        twin.setParameter(7, entry(w2, 4));
        twin.setParameter(15, entry(w3, 4));
    }
    Twin twin;
};

TEST_F(VoiceCompare, HeldNoteOnEveryWaveform) {
    for (int wave = 0; wave < 4; ++wave) {
        SCOPED_TRACE(wave);
        setWaves(wave, wave, wave);
        twin.events({noteOn(3, 57 + wave * 7)});
        twin.renderBlocks(3000, 512);
        twin.events({noteOff(100, 57 + wave * 7)});
        twin.renderBlocks(1500, 512);
    }
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(VoiceCompare, MixedWavesPartialsDetuneAndLevels) {
    setWaves(3, 1, 2);
    twin.setParameter(1, 0.75f);  // Detune1 +50 cents
    twin.setParameter(8, 0.5f);   // Partial2 4
    twin.setParameter(9, 0.2f);   // Detune2
    twin.setParameter(16, 1.0f);  // Partial3 6
    twin.setParameter(17, 1.0f);  // Detune3 +99
    twin.setParameter(14, 0.5f);  // Level2
    twin.setParameter(22, 0.3f);  // Level3
    twin.setParameter(2, 0.3f);   // slower attacks and releases
    twin.setParameter(11, 0.1f);
    twin.setParameter(29, 0.8f);  // MainLvl
    for (int key : {24, 45, 69, 96, 108}) {
        SCOPED_TRACE(key);
        twin.events({noteOn(0, key)});
        twin.renderBlocks(4000, 441);
        twin.events({noteOff(7, key)});
        twin.renderBlocks(2500, 441);
    }
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(VoiceCompare, VeryHighAndVeryLowPitchesFollowTheLoudnessCurve) {
    // Key 127 with partial 6 passes 17.5 kHz (silenced); key 0 is below 10 Hz
    // only with detune down; key 20 sits in the rising 10..30 Hz part.
    setWaves(2, 3, 1);
    twin.setParameter(16, 0.6f);  // Partial3 4
    for (int key : {0, 20, 127, 110}) {
        SCOPED_TRACE(key);
        twin.events({noteOn(0, key)});
        twin.renderBlocks(2000, 512);
        twin.events({noteOff(0, key)});
        twin.renderBlocks(600, 512);
    }
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(VoiceCompare, NoiseOnEachOscillator) {
    twin.setParameter(5, 1.0f);
    twin.setParameter(13, 0.4f);
    twin.setParameter(21, 0.05f);
    twin.setParameter(6, 0.0f);  // Level1 silent: osc1 gives nothing, noise included
    // Before any note the idle envelopes keep the noise silent.
    twin.render(300);
    twin.events({noteOn(10, 60)});
    twin.renderBlocks(2000, 256);
    twin.events({noteOff(0, 60)});
    twin.renderBlocks(1000, 256);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(VoiceCompare, LegatoAndLastNotePriority) {
    twin.setParameter(2, 0.2f);  // Attk1 ~0.41 s: a restart would show
    twin.setParameter(18, 0.1f);
    twin.setParameter(3, 0.3f);  // Rel1
    twin.events({noteOn(0, 60), noteOn(200, 64), noteOn(400, 67)});
    twin.render(1024);
    twin.events({noteOff(5, 67)});  // back to 64, no new attack
    twin.render(1024);
    twin.events({noteOff(0, 60)});  // re-sends 64
    twin.render(1024);
    twin.events({noteOn(1, 64), noteOff(2, 99)});  // held key moved to top; stray release
    twin.render(1024);
    twin.events({noteOff(0, 64)});  // releases
    twin.render(3000);
    twin.events({noteOff(0, 64)});  // release again while releasing
    twin.render(1000);
    twin.events({noteOn(0, 72)});  // attack from the release level
    twin.render(2000);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(VoiceCompare, VelocityZeroAndChannelsActAsNoteOff) {
    twin.events({noteOn(0, 60, 100, 3), noteOn(50, 62, 90, 15)});
    twin.render(800);
    twin.events({noteOn(10, 62, 0, 9)});  // velocity 0 on another channel
    twin.render(800);
    twin.events({midi(0, 0x95, 60, 0), midi(1, 0xB0, 123, 0), midi(2, 0xC0, 5, 0)});  // others ignored
    twin.render(1500);
    // Data bytes keep their low seven bits: key 0xC8 is 72, velocity 0x80 is 0.
    twin.events({midi(0, 0x9F, 0xC8, 0xE4), midi(400, 0xE3, 0xFF, 0x85)});
    twin.render(800);
    twin.events({midi(0, 0x9F, 0xC8, 0x80)});
    twin.render(1500);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(VoiceCompare, PortamentoGlidesAndRestartsFromWhereItStands) {
    twin.setParameter(4, 0.1f);     // Porta1 0.1 s
    twin.setParameter(12, 0.25f);   // Porta2 0.25 s
    twin.setParameter(20, 0.005f);  // Porta3 below one sample's worth? (0.01 s after rounding up)
    setWaves(1, 3, 0);
    twin.events({noteOn(0, 48)});  // first note: no glide
    twin.render(2000);
    twin.events({noteOn(0, 60)});  // glide up
    twin.render(1500);
    twin.events({noteOn(0, 55)});  // mid-glide: from where it stands
    twin.render(6000);
    twin.events({noteOff(0, 55), noteOff(0, 60)});  // falls back to 48 then
    twin.render(8000);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(VoiceCompare, PortamentoResetTimerCountsFromTheLastRelease) {
    // PortaRst 0.1 s: 4410 samples. A key 4410 samples after the release
    // still glides; one at 4411 starts at its pitch.
    twin.setParameter(27, 0.0f);
    twin.setParameter(4, 0.3f);
    twin.setParameter(12, 0.3f);
    twin.setParameter(20, 0.3f);
    twin.events({noteOn(0, 50)});
    twin.render(1000);
    twin.events({noteOff(0, 50)});
    twin.render(4410);
    twin.events({noteOn(0, 62)});  // glides
    twin.render(2000);
    twin.events({noteOff(0, 62)});
    twin.render(4411);
    twin.events({noteOn(0, 50)});  // jumps
    twin.render(2000);
    // A parameter change restarts the count.
    twin.events({noteOff(0, 50)});
    twin.render(3000);
    twin.setParameter(1, 0.6f);
    twin.render(3000);
    twin.events({noteOn(0, 70)});  // glides: the count restarted at 3000
    twin.render(3000);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(VoiceCompare, PitchBendAtSeveralRanges) {
    setWaves(0, 3, 1);
    twin.events({noteOn(0, 69)});
    twin.render(500);
    for (float range : {0.0f, 2.0f / 12, 0.5f, 1.0f}) {
        SCOPED_TRACE(range);
        twin.setParameter(28, range);
        // A range change acts only with the next bend message.
        twin.render(300);
        twin.events({bend(0, 127, 127), bend(200, 0, 0), bend(400, 0, 64), bend(600, 33, 90)});
        twin.render(1000);
    }
    EXPECT_TWIN_MATCHES(twin);
}

}  // namespace
}  // namespace kx::ref

namespace kx::ref {
namespace {

// Above the sample rate one 2pi step no longer keeps the phase in range; the
// loudness gain starts at 1 after a reset and needs 2 ms to fall, so these
// pitches are briefly audible and their waveform matters.
TEST(VoiceCompareExtreme, PitchesAboveTheSampleRate) {
    Twin twin;
    std::string error;
    ASSERT_TRUE(twin.start(&error, 44100.0, 22050.0f)) << error;
    twin.setParameter(0, 0.0f);
    twin.setParameter(7, 1.0f);
    twin.setParameter(15, 2.0f / 3);
    twin.setParameter(8, 0.6f);   // Partial2 4
    twin.setParameter(16, 1.0f);  // Partial3 6
    twin.setParameter(17, 1.0f);  // +99 cents
    twin.setParameter(28, 1.0f);  // bend range 12
    twin.events({noteOn(0, 120), bend(0, 127, 127)});
    twin.render(600);
    twin.events({noteOff(0, 120)});
    twin.render(600);
    EXPECT_TWIN_MATCHES(twin);
}

}  // namespace
}  // namespace kx::ref

namespace kx::ref {
namespace {

// Between 20 and 40 kHz the table read extrapolates from levels 0 and 1.
TEST(VoiceCompareExtreme, TableWavesBetween20And40KHz) {
    Twin twin;
    std::string error;
    ASSERT_TRUE(twin.start(&error, 44100.0, 96000.0f)) << error;
    twin.setParameter(0, 1.0f / 3);
    twin.setParameter(7, 2.0f / 3);
    twin.setParameter(15, 1.0f);
    twin.setParameter(8, 0.2f);   // Partial2 2
    twin.setParameter(16, 0.2f);  // Partial3 2
    twin.setParameter(17, 0.0f);  // -99 cents
    twin.setParameter(28, 1.0f);  // bend range 12
    for (int key : {115, 120, 127}) {
        SCOPED_TRACE(key);
        twin.events({noteOn(0, key), bend(0, 127, 127)});
        twin.render(400);
        twin.events({noteOff(0, key), bend(0, 0, 64)});
        twin.render(1000);
    }
    EXPECT_TWIN_MATCHES(twin);
}

}  // namespace
}  // namespace kx::ref
