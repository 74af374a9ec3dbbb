// The render command end to end: the built tool plays MIDI files through the
// built plug-in.
#include "tool_fixture.h"

#include <cmath>
#include <cstring>

namespace kx::tooltest {
namespace {

using RenderTool = ToolTest;

TEST_F(RenderTool, DemoRendersToTheSongLengthPlusTail) {
    RunResult r = run("render " + plugin() + " " + demo() + " " + path("demo.wav") + " --tail 1.5 --quiet");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Audio audio;
    ASSERT_TRUE(readAudio(path("demo.wav"), audio));
    EXPECT_EQ(audio.rate, 44100);
    EXPECT_EQ(audio.channels, 1);
    // 20 beats at 84 bpm, then 10 at 100 bpm, then the tail
    double expected = (20 * 60.0 / 84 + 10 * 60.0 / 100 + 1.5) * 44100;
    EXPECT_NEAR(double(audio.samples.size()), expected, 2.0);
    EXPECT_NE(r.output.find("wrote "), std::string::npos) << r.output;
}

// Needs the synthesis engine: with the processing stubbed the plug-in writes silence.
TEST_F(RenderTool, DemoIsAudibleAndTheTwoPrecisionsAgree) {
    ASSERT_EQ(run("render " + demo() + " " + path("f.wav") + " --quiet --set LFODepth=50 --set Porta1=0.1").exitCode,
              0);
    ASSERT_EQ(
        run("render " + demo() + " " + path("d.wav") + " --quiet --double --set LFODepth=50 --set Porta1=0.1").exitCode,
        0);
    Audio f, d;
    ASSERT_TRUE(readAudio(path("f.wav"), f));
    ASSERT_TRUE(readAudio(path("d.wav"), d));
    ASSERT_EQ(f.samples.size(), d.samples.size());
    double energy = 0.0, worst = 0.0;
    for (size_t i = 0; i < f.samples.size(); ++i) {
        energy += double(f.samples[i]) * f.samples[i];
        worst = std::max(worst, std::fabs(double(f.samples[i]) - d.samples[i]));
    }
    double rms = std::sqrt(energy / double(f.samples.size()));
    EXPECT_GT(rms, 0.01) << "the demo renders as (near) silence";
    EXPECT_LT(worst, 1e-6);
}

// Events reach the plug-in at their own sample whatever the block size; only
// the tremolo's once-per-block re-lock to the song position may differ a hair.
TEST_F(RenderTool, BlockSizeDoesNotMoveEvents) {
    const std::string settings = " --quiet --tail 0.5 --fxp " + std::string(KX_SOURCE_DIR) + "/demo/demo.fxp";
    ASSERT_EQ(run("render " + demo() + " " + path("b512.wav") + settings).exitCode, 0);
    ASSERT_EQ(run("render " + demo() + " " + path("b37.wav") + settings + " --block 37").exitCode, 0);
    Audio a, b;
    ASSERT_TRUE(readAudio(path("b512.wav"), a));
    ASSERT_TRUE(readAudio(path("b37.wav"), b));
    ASSERT_EQ(a.samples.size(), b.samples.size());
    double worst = 0.0;
    for (size_t i = 0; i < a.samples.size(); ++i)
        worst = std::max(worst, std::fabs(double(a.samples[i]) - b.samples[i]));
    EXPECT_LT(worst, 1e-3);
}

// The host clock reaches the plug-in: a square tremolo of four cycles a bar at
// 120 bpm locks to the song position, loud for the first half of every beat.
TEST_F(RenderTool, TremoloFollowsTheHostClock) {
    const unsigned char held[] = {
        'M',  'T',  'h',  'd', 0,    0,    0,    6,  0,    0,    0,    1,    0x01, 0xE0,        // 480 per quarter
        'M',  'T',  'r',  'k', 0,    0,    0,    20, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 120 bpm
        0x00, 0x90, 69,   100, 0x8F, 0x00, 0x80, 69, 0,                                         // off after four beats
        0x00, 0xFF, 0x2F, 0x00};
    std::string midi = path("held.mid");
    std::ofstream(midi, std::ios::binary).write(reinterpret_cast<const char*>(held), sizeof held);
    RunResult r = run("render " + midi + " " + path("t.wav") +
                      " --quiet --tail 0 --set LFOWave=Square --set LFOFreq=4 --set LFODepth=100");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Audio a;
    ASSERT_TRUE(readAudio(path("t.wav"), a));
    ASSERT_EQ(a.samples.size(), 2u * 44100 + 1);  // the frame that plays the note-off
    auto rms = [&a](double from, double to) {
        double e = 0.0;
        size_t i0 = size_t(from * 44100), i1 = size_t(to * 44100);
        for (size_t i = i0; i < i1; ++i)
            e += double(a.samples[i]) * a.samples[i];
        return std::sqrt(e / double(i1 - i0));
    };
    for (int beat = 0; beat < 4; ++beat) {
        double t = beat * 0.5;
        EXPECT_GT(rms(t + 0.05, t + 0.2), 0.01) << "beat " << beat;
        EXPECT_LT(rms(t + 0.3, t + 0.45), 0.001) << "beat " << beat;
    }
}

TEST_F(RenderTool, BadMidiFilesFailWithTheReason) {
    std::string notMidi = path("notes.mid");
    std::ofstream(notMidi) << "this is not a MIDI file";
    RunResult r = run("render " + plugin() + " " + notMidi + " " + path("out.wav"));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find(notMidi + ": byte 0: not a Standard MIDI File"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(path("out.wav")));

    std::ifstream in(demo(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);
    std::string cut = path("cut.mid");
    std::ofstream(cut, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size() - 40));
    r = run("render " + plugin() + " " + cut + " " + path("out.wav"));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find(cut + ": byte "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("runs past the end of the file"), std::string::npos) << r.output;

    // valid, but one delta time at the slowest tempo claims over a century
    const unsigned char endless[] = {'M',  'T',  'h',  'd',  0,    0,    0,  6,   0,    0,    0,    1,    0,    1,
                                     'M',  'T',  'r',  'k',  0,    0,    0,  18,  0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00};
    std::string longSong = path("long.mid");
    std::ofstream(longSong, std::ios::binary).write(reinterpret_cast<const char*>(endless), sizeof endless);
    r = run("render " + plugin() + " " + longSong + " " + path("out.wav"));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("hours; at most 24 are rendered"), std::string::npos) << r.output;

    r = run("render " + plugin() + " " + path("absent.mid") + " " + path("out.wav"));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("cannot open"), std::string::npos) << r.output;
}

TEST_F(RenderTool, BadArgumentsFailClearly) {
    struct Case {
        std::string args;
        const char* says;
    };
    std::string io = " " + demo() + " " + path("out.wav");
    const std::vector<Case> cases = {
        {"", "missing IN.mid"},
        {"--rate 0" + io, "--rate needs"},
        {"--block 99999" + io, "--block needs"},
        {"--tail -1" + io, "--tail needs"},
        {"--program 10" + io, "the plug-in has 10 programs"},
        {"--set Nothing=1" + io, "no parameter 'Nothing'"},
        {"--set =1" + io, "--set needs NAME=VALUE"},
        {"--frobnicate" + io, "unknown option '--frobnicate'"},
        {demo() + " " + path("out.mp3"), "unknown output format"},
        {path("missing.so") + io, "missing.so"},
        {"--fxp " + path("missing.fxp") + io, "missing.fxp: cannot open"},
    };
    for (const Case& c : cases) {
        RunResult r = run("render " + c.args);
        EXPECT_NE(r.exitCode, 0) << c.args;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << c.args << "\n" << r.output;
    }
    EXPECT_FALSE(fs::exists(path("out.wav")));
    RunResult help = run("render --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("usage: kelvox2 render"), std::string::npos);
}

TEST_F(RenderTool, SettingsSurviveAProgramFileRoundTrip) {
    RunResult r =
        run("render --set porta1=0.5 --set WAVE2=Square --save-fxp " + path("p.fxp") + " --save-fxb " + path("b.fxb"));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    FxProgram program;
    std::string error;
    ASSERT_TRUE(readFxpFile(path("p.fxp").c_str(), program, error)) << error;
    EXPECT_EQ(program.fxID, fourCC('k', 'v', 'M', 't'));
    ASSERT_EQ(program.params.size(), 30u);
    EXPECT_FLOAT_EQ(program.params[4], 0.5f);         // Porta1: 0.5 s of 0..1 s
    EXPECT_FLOAT_EQ(program.params[7], 2.0f / 3.0f);  // Wave2: third of four entries
    FxBank bank;
    ASSERT_TRUE(readFxbFile(path("b.fxb").c_str(), bank, error)) << error;
    ASSERT_EQ(bank.programs.size(), 10u);
    EXPECT_EQ(bank.programs[0].params, program.params);

    // Loading the file into another program and saving that gives the same values.
    r = run("render --program 5 --fxp " + path("p.fxp") + " --save-fxp " + path("q.fxp"));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    FxProgram again;
    ASSERT_TRUE(readFxpFile(path("q.fxp").c_str(), again, error)) << error;
    EXPECT_EQ(again.params, program.params);

    // A preset of another plug-in is refused by its id.
    program.fxID = fourCC('a', 'b', 'c', 'd');
    ASSERT_TRUE(writeFile(path("other.fxp").c_str(), writeFxp(program), error)) << error;
    r = run("render --fxp " + path("other.fxp") + " --save-fxp " + path("x.fxp"));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("belongs to plug-in 'abcd'"), std::string::npos) << r.output;
}

TEST_F(RenderTool, ChunkProgramsLoadWholeOrFail) {
    // A whole program record: 25 bytes of name, then 30 doubles.
    FxProgram program;
    program.fxID = fourCC('k', 'v', 'M', 't');
    program.isChunk = true;
    program.chunkNumParams = 30;
    program.name = "Chunky";
    program.chunk.assign(25 + 30 * 8, 0);
    std::memcpy(program.chunk.data(), "Chunky", 6);
    for (int i = 0; i < 30; ++i) {
        const double quarter = 0.25;
        std::memcpy(program.chunk.data() + 25 + 8 * i, &quarter, 8);
    }
    std::string error;
    ASSERT_TRUE(writeFile(path("whole.fxp").c_str(), writeFxp(program), error)) << error;
    RunResult r = run("render --fxp " + path("whole.fxp") + " --save-fxp " + path("back.fxp"));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    FxProgram back;
    ASSERT_TRUE(readFxpFile(path("back.fxp").c_str(), back, error)) << error;
    EXPECT_EQ(back.name, "Chunky");
    EXPECT_EQ(back.params, std::vector<float>(30, 0.25f));

    // A chunk the plug-in refuses (too short to be a program) fails the run
    // instead of rendering the old program as if the file had loaded.
    for (size_t size : {size_t(0), size_t(5), program.chunk.size() - 1}) {
        FxProgram cut = program;
        cut.chunk.resize(size);
        ASSERT_TRUE(writeFile(path("cut.fxp").c_str(), writeFxp(cut), error)) << error;
        r = run("render --fxp " + path("cut.fxp") + " " + demo() + " " + path("out.wav") + " --quiet");
        EXPECT_NE(r.exitCode, 0) << size;
        EXPECT_NE(r.output.find("cut.fxp: the "), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(" chunk"), std::string::npos) << r.output;
        EXPECT_FALSE(fs::exists(path("out.wav"))) << size;
    }
}

TEST_F(RenderTool, AFailedRenderKeepsTheEarlierOutput) {
    const std::string out = path("take.wav");
    std::ofstream(out, std::ios::binary) << "the earlier take";
    // Files may not grow past 64 KiB: the render fails while writing, as on a
    // full disk (the size signal is ignored so that the write reports it).
    std::string command = "(trap '' XFSZ; ulimit -f 128; exec " + std::string(KX_TOOL_PATH) + " render " + plugin() +
                          " " + demo() + " " + out + " --quiet) 2>&1";
    const testing::CommandRun ran = testing::runShell(command);
    const std::string& output = ran.out;
    ASSERT_NE(ran.status, -1) << output;  // it exited
    EXPECT_NE(ran.status, 0) << output;
    EXPECT_NE(output.find("writing '" + out + "' failed: the file is larger than this system allows"),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("System error"), std::string::npos) << output;

    std::ifstream in(out, std::ios::binary);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "the earlier take");
    EXPECT_FALSE(fs::exists(out + ".partial"));
}

TEST_F(RenderTool, PeersRenderToo) {
    const std::string nekobi = "/usr/lib/vst/Nekobi-vst.so";
    if (!fs::exists(nekobi))
        GTEST_SKIP() << "no " << nekobi;
    RunResult r = run("render " + nekobi + " " + demo() + " " + path("n.flac") + " --quiet --tail 0.5");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Audio audio;
    ASSERT_TRUE(readAudio(path("n.flac"), audio));
    double energy = 0.0;
    for (float s : audio.samples)
        energy += double(s) * s;
    EXPECT_GT(energy, 0.0);
}

TEST(BenchTool, PrintsARowPerPluginAndRefusesMissingOnes) {
    RunResult r = run("bench --rounds 1 " + std::string(KX_PLUGIN_PATH) + " " + KX_PLUGIN_PATH);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    size_t first = r.output.find("\nKelvox2 ");
    ASSERT_NE(first, std::string::npos) << r.output;
    EXPECT_NE(r.output.find("\nKelvox2 ", first + 1), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("x real time"), std::string::npos) << r.output;
    // Which way the ratio reads.
    EXPECT_NE(r.output.find("/ X: Kelvox2 #1's time over X's; below 1, Kelvox2 #1 is the faster"), std::string::npos)
        << r.output;
    // Into a pipe the progress comes as whole lines, not rewritten in place.
    EXPECT_EQ(r.output.find('\r'), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("bench: round 0 of 1\nbench: round 1 of 1\n"), std::string::npos) << r.output;

    r = run("bench /nonexistent/plugin.so");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("/nonexistent/plugin.so"), std::string::npos) << r.output;
    EXPECT_NE(run("bench --rounds 0").exitCode, 0);

    // Each heap column says whose heap it is.
    r = run("bench --instances " + std::string(KX_PLUGIN_PATH));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    for (const char* said : {"first heap", "next heap", "first heap: KB in use from the allocator"})
        EXPECT_NE(r.output.find(said), std::string::npos) << said << "\n" << r.output;
}

}  // namespace
}  // namespace kx::tooltest
