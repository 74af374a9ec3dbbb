// What render writes: notes ended at the end of the song, the automatic tail,
// the formats and channels, and the warning when integer samples clip.
#include "tool_fixture.h"

#include <cmath>

namespace kx::tooltest {
namespace {

double rms(const Audio& a, double from, double to) {
    size_t i0 = size_t(from * a.rate), i1 = std::min(size_t(to * a.rate), a.frames());
    double e = 0.0;
    for (size_t i = i0; i < i1; ++i)
        e += double(a.samples[i * a.channels]) * a.samples[i * a.channels];
    return i1 > i0 ? std::sqrt(e / double(i1 - i0)) : 0.0;
}

double peakFrom(const Audio& a, double from) {
    double peak = 0.0;
    for (size_t i = size_t(from * a.rate) * a.channels; i < a.samples.size(); ++i)
        peak = std::max(peak, double(std::fabs(a.samples[i])));
    return peak;
}

class RenderOutput : public ToolTest {
protected:
    // One note struck at the start and never released; the track ends after
    // two beats (one second).
    std::string heldNote() {
        const std::vector<unsigned char> midi = midiFile({0x00, 0x90, 57, 100, 0x87, 0x40, 0xB0, 7, 100});
        writeBytes(path("held.mid"), midi.data(), midi.size());
        return path("held.mid");
    }
    static constexpr const char* kRelease = " --set Rel1=0.3 --set Rel2=0.3 --set Rel3=0.3 --quiet";
};

TEST_F(RenderOutput, NotesStillSoundingAtTheEndReleaseIntoTheTail) {
    RunResult r = run("render " + heldNote() + " " + path("out.wav") + " --tail 1.5" + kRelease);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Audio a;
    ASSERT_TRUE(readAudio(path("out.wav"), a));
    EXPECT_NEAR(double(a.frames()), 2.5 * 44100, 2.0);
    EXPECT_GT(rms(a, 0.8, 1.0), 0.01) << "the note plays up to the end of the song";
    EXPECT_GT(rms(a, 1.0, 1.05), 0.2 * rms(a, 0.8, 1.0)) << "the release rings, it is not cut";
    EXPECT_LT(peakFrom(a, 2.0), 1e-4) << "the note is released, not held through the tail";
}

TEST_F(RenderOutput, AnAutomaticTailEndsOnceTheOutputHasFallenQuiet) {
    RunResult r = run("render " + heldNote() + " " + path("out.wav") + " --tail auto" + kRelease);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Audio a;
    ASSERT_TRUE(readAudio(path("out.wav"), a));
    const double seconds = double(a.frames()) / a.rate;
    // A 0.3 s release takes well under a second more to reach -90 dBFS; then a
    // second of quiet closes the file.
    EXPECT_GT(seconds, 1.0 + 0.3 + 1.0);
    EXPECT_LT(seconds, 1.0 + 3.0);
    EXPECT_LT(peakFrom(a, seconds - 1.0), std::pow(10.0, -90.0 / 20));
    EXPECT_GT(peakFrom(a, seconds - 1.1), std::pow(10.0, -90.0 / 20)) << "the quiet second ends the file";
    EXPECT_NE(r.output.find("tail "), std::string::npos) << r.output;

    EXPECT_EQ(run("render " + heldNote() + " " + path("x.wav") + " --tail soon").exitCode, 2);
}

TEST_F(RenderOutput, FormatsAndChannelsAreWhatWasAskedFor) {
    struct Case {
        const char* options;
        const char* file;
        int format;
    };
    const Case cases[] = {
        {"", "a.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"--format float", "b.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"--format wav16", "c.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"--format wav24", "d.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {"--format flac", "e.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"", "f.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
        {"--format aiff --channels 2", "g.aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
        {"--format wav16 --channels 2", "h", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    };
    for (const Case& c : cases) {
        RunResult r = run("render " + heldNote() + " " + path(c.file) + " --tail 0.1 --quiet " + c.options);
        ASSERT_EQ(r.exitCode, 0) << c.options << "\n" << r.output;
        Audio a;
        ASSERT_TRUE(readAudio(path(c.file), a)) << c.file;
        EXPECT_EQ(a.format, c.format) << c.file;
        EXPECT_EQ(a.channels, std::string(c.options).find("--channels 2") != std::string::npos ? 2 : 1) << c.file;
    }
    // The mono voice plays on both channels alike.
    Audio stereo;
    ASSERT_TRUE(readAudio(path("g.aif"), stereo));
    double energy = 0.0;
    for (size_t i = 0; i < stereo.frames(); ++i) {
        ASSERT_EQ(stereo.samples[2 * i], stereo.samples[2 * i + 1]) << i;
        energy += double(stereo.samples[2 * i]) * stereo.samples[2 * i];
    }
    EXPECT_GT(energy, 1.0);

    const std::string io = " " + heldNote() + " " + path("x.wav");
    EXPECT_NE(run("render --format mp3" + io).output.find("--format needs float, wav16, wav24, flac or aiff"),
              std::string::npos);
    RunResult mismatch = run("render --format flac" + io);
    EXPECT_EQ(mismatch.exitCode, 2);
    EXPECT_NE(mismatch.output.find("name it .flac"), std::string::npos) << mismatch.output;
    EXPECT_EQ(run("render --channels 0" + io).exitCode, 2);
    EXPECT_FALSE(fs::exists(path("x.wav")));
}

TEST_F(RenderOutput, IntegerFilesThatClipSaySoWithThePeak) {
    // Three oscillators at full level sum to well above full scale.
    const std::string loud = " --set MainLvl=0 --tail 0.1 --quiet";
    RunResult r = run("render " + heldNote() + " " + path("loud.flac") + loud);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("warning: the output peaks at +"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("clipped in the 24-bit FLAC file"), std::string::npos) << r.output;

    r = run("render " + heldNote() + " " + path("loud.wav") + loud);  // float keeps them
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("warning"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("peak +"), std::string::npos) << r.output;

    r = run("render " + heldNote() + " " + path("quiet.wav") + " --format wav16 --tail 0.1 --quiet");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("warning"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace kx::tooltest
