// Everyday faults at the command line, met as a user meets them: exit codes
// as the manual page gives them, plug-ins named by a start of their name, a
// render stopped midway, a tail with a unit, a damaged preset.
#include "support/command_run.h"
#include "tool_fixture.h"

#include <cstring>

namespace kx::tooltest {
namespace {

using CommandLine = ToolTest;

TEST_F(CommandLine, WhatCannotBeReadOrLoadedExitsWithTwo) {
    writeBytes(path("not.so"), "text", 4);
    for (const std::string& args : std::vector<std::string>{
             "info /no/such/plugin.so", "info " + path("not.so"),
             "render /no/such/plugin.so " + demo() + " " + path("o.wav"), "render /no/such/song.mid " + path("o.wav"),
             "render " + demo() + " " + path("no/folder/o.wav") + " --quiet", "info --fxp /no/such.fxp",
             "bench /no/such/plugin.so", "edit /no/such/plugin.so --quit",
             "validate --only state /no/such/plugin.so"}) {
        const RunResult r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.output;
    }
}

TEST_F(CommandLine, APlugInIsFoundByAUniqueStartOfItsName) {
    fs::create_directories(dir_ / "vst");
    for (const char* name : {"Alpha-vst.so", "Beta-one.so", "Beta-two.so"})
        fs::create_symlink(plugin(), dir_ / "vst" / name);
    const std::string env = "VST_PATH=" + path("vst") + " HOME=" + dir_.string();
    RunResult r = run("info alpha", env);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("Plug-in:     " + path("vst") + "/Alpha-vst.so"), std::string::npos) << r.output;
    r = run("info Beta", env);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("'Beta' could be any of Beta-one, Beta-two"), std::string::npos) << r.output;
    if (fs::exists("/usr/lib/vst/Nekobi-vst.so")) {
        r = run("info Nekobi", "HOME=" + dir_.string());
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find("/usr/lib/vst/Nekobi-vst.so"), std::string::npos) << r.output;
    }
}

TEST_F(CommandLine, ARenderStoppedBySigtermLeavesNoPartialFile) {
    const std::string out = path("long.wav");
    // An hour of tail: long enough to be caught midway.
    const testing::CommandRun r = testing::runCommand(
        std::string(KX_TOOL_PATH) + " render " + demo() + " " + out + " --tail 3600 --quiet & pid=$!; " +
        "for i in $(seq 200); do [ -e " + out + ".partial ] && break; sleep 0.05; done; " +
        "kill -TERM $pid; wait $pid; echo \"status=$?\"");
    EXPECT_NE(r.out.find("stopped by SIGTERM; nothing written to " + out), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("status=143"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(out + ".partial"));
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(CommandLine, TheTailTakesAUnit) {
    const auto song = midiFile({0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0});  // one beat: 0.5 s
    writeBytes(path("beat.mid"), song.data(), song.size());
    for (const char* tail : {"0.25", "0.25s", "250ms"}) {
        const RunResult r = run("render " + path("beat.mid") + " " + path("t.wav") + " --quiet --tail " + tail);
        ASSERT_EQ(r.exitCode, 0) << tail << "\n" << r.output;
        Audio audio;
        ASSERT_TRUE(readAudio(path("t.wav"), audio));
        EXPECT_NEAR(double(audio.frames()), 0.75 * 44100, 2.0) << tail;
    }
    EXPECT_EQ(run("render " + path("beat.mid") + " " + path("t.wav") + " --tail 5min").exitCode, 2);
}

TEST_F(CommandLine, APresetNamesItsParametersAndIsRefusedWhenByteSwapped) {
    std::vector<float> values = savedProgram("--set Detune1=30");
    ASSERT_EQ(values.size(), 30u);
    std::string fxp = readBytes(path("saved.fxp"));
    const size_t first = fxp.size() - 4 * values.size();

    std::string nan = fxp;
    std::memcpy(&nan[first + 4 * 1], "\x7F\xC0\x00\x00", 4);
    writeBytes(path("nan.fxp"), nan.data(), nan.size());
    RunResult r = run("info --fxp " + path("nan.fxp"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("parameter 1 (Detune1) is not a number"), std::string::npos) << r.output;

    std::string swapped = fxp;
    for (size_t at = first; at + 4 <= swapped.size(); at += 4)
        std::swap(swapped[at], swapped[at + 3]), std::swap(swapped[at + 1], swapped[at + 2]);
    writeBytes(path("swapped.fxp"), swapped.data(), swapped.size());
    r = run("render --fxp " + path("swapped.fxp") + " " + demo() + " " + path("o.wav") + " --quiet");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("byte-swapped"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(path("o.wav")));
}

}  // namespace
}  // namespace kx::tooltest
