// `kelvox2 info` on the instrument and on other plug-ins.
#include <gtest/gtest.h>

#include "support/command_run.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun runTool(const std::string& arguments, const std::string& environment = "") {
    const kx::testing::CommandRun run = kx::testing::runTool(arguments, environment);
    return {run.status, run.out};
}

bool exists(const char* path) {
    struct stat st;
    return ::stat(path, &st) == 0;
}

TEST(InfoTool, PrintsTheInstrumentsIdentityAndParameters) {
    ToolRun run = runTool(std::string("info '") + KX_PLUGIN_PATH + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* expected : {"Kelvox2", "Tamlow", "'kvMt'", "Parameters (30)", "MainLvl", "-12.5", "per bar",
                                 "Elvox2", "Programs (10", "Defaults", "receiveVstMidiEvent"})
        EXPECT_NE(run.output.find(expected), std::string::npos) << expected << "\n" << run.output;
}

TEST(InfoTool, DefaultsToThePluginNextToIt) {
    ToolRun run = runTool("info");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Tamlow"), std::string::npos);
}

TEST(InfoTool, ExplainsBadInput) {
    ToolRun missing = runTool("info /no/such/plugin.so");
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.output.find("cannot open"), std::string::npos) << missing.output;
    ToolRun notVst = runTool(std::string("info '") + KX_SOURCE_DIR + "/CMakeLists.txt'");
    EXPECT_NE(notVst.status, 0);
    EXPECT_NE(notVst.output.find("cannot load"), std::string::npos) << notVst.output;
    ToolRun option = runTool("info --frobnicate");
    EXPECT_EQ(option.status, 2);
    ToolRun help = runTool("info --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("usage: kelvox2 info"), std::string::npos);
}

TEST(InfoTool, ParamsListsWhatEachParameterTakes) {
    ToolRun run = runTool("info --params");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* expected : {
             "  index  name      unit     default  takes\n",
             "      0  Wave1              Sine     Sine, Triangle, Square, Sawtooth\n",
             "      2  Attk1     s        0.01     0.01 to 2.00 s\n",
             "     23  LFOWave            Sine     Sine, Triangle, Square, Rising, Falling, Random\n",
             "     24  LFOFreq   per bar  4        1 to 32 per bar\n",
             "     29  MainLvl   dB       -12.5    -Inf to 0.0 dB\n",
         })
        EXPECT_NE(run.output.find(expected), std::string::npos) << expected << "\n" << run.output;
}

class PresetInfo : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("kx_info_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    std::filesystem::path dir_;
};

TEST_F(PresetInfo, ShowsWhatAProgramOrBankFileSets) {
    ToolRun save = runTool("render --set Porta1=0.25 --set Wave3=tri --program 4 --set LFODepth=30 --save-fxp " +
                           path("p.fxp") + " --save-fxb " + path("b.fxb"));
    ASSERT_EQ(save.status, 0) << save.output;
    ToolRun program = runTool("info --fxp " + path("p.fxp"));
    ASSERT_EQ(program.status, 0) << program.output;
    for (const char* expected : {"a program, 30 parameter values", "'kvMt'", "LFODepth 30 %", "Porta1 0.25 s",
                                 "Wave3 Triangle", "MainLvl -12.5 dB"})
        EXPECT_NE(program.output.find(expected), std::string::npos) << expected << "\n" << program.output;

    ToolRun bank = runTool("info --fxb " + path("b.fxb"));
    ASSERT_EQ(bank.status, 0) << bank.output;
    for (const char* expected : {"a bank, 10 programs", "Current:     program 4", "Program 0 \"Defaults\":",
                                 "Porta1 0.00 s", "Porta1 0.25 s", "Wave3 Triangle", "Program 9 "})
        EXPECT_NE(bank.output.find(expected), std::string::npos) << expected << "\n" << bank.output;

    ToolRun wrong = runTool("info --fxp " + path("b.fxb"));
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.output.find("b.fxb"), std::string::npos) << wrong.output;
    EXPECT_EQ(runTool("info --fxp").status, 2);
    EXPECT_EQ(runTool("info --params --fxp " + path("p.fxp")).status, 2);
}

TEST_F(PresetInfo, PluginsAreFoundByNameOnTheVstPath) {
    std::filesystem::create_directories(dir_ / "vst");
    std::filesystem::create_symlink(KX_PLUGIN_PATH, dir_ / "vst" / "MySynth.so");
    const std::string env = "VST_PATH=/nonexistent:" + (dir_ / "vst").string() + " HOME=" + dir_.string();
    for (const char* name : {"MySynth", "mysynth.so", "MYSYNTH"}) {
        ToolRun run = runTool(std::string("info ") + name, env);
        ASSERT_EQ(run.status, 0) << name << "\n" << run.output;
        EXPECT_NE(run.output.find("Plug-in:     " + (dir_ / "vst").string() + "/MySynth.so"), std::string::npos)
            << run.output;
    }
    // ~/.vst comes after VST_PATH.
    std::filesystem::create_directories(dir_ / ".vst");
    std::filesystem::create_symlink(KX_PLUGIN_PATH, dir_ / ".vst" / "Home.so");
    EXPECT_EQ(runTool("info Home", "HOME=" + dir_.string()).status, 0);

    ToolRun missing = runTool("info NoSuchSynth", env);
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.output.find("no plug-in 'NoSuchSynth' here or in /nonexistent, " + (dir_ / "vst").string() +
                                  ", " + dir_.string() + "/.vst, /usr/local/lib/vst, /usr/lib/vst"),
              std::string::npos)
        << missing.output;
}

TEST(Kelvox2Tool, TellsItsVersionAndEachCommandsHelp) {
    ToolRun version = runTool("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("kelvox2 ", 0), 0u) << version.output;
    EXPECT_NE(version.output.find('.'), std::string::npos) << version.output;

    for (const char* command : {"info", "render", "bench", "png", "snapshot", "check-skin"}) {
        ToolRun help = runTool(std::string("help ") + command);
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.output, runTool(std::string(command) + " --help").output) << command;
        EXPECT_NE(help.output.find(std::string("usage: kelvox2 ") + command), std::string::npos) << help.output;
    }
    ToolRun unknown = runTool("help frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("unknown command 'frobnicate'"), std::string::npos) << unknown.output;
    EXPECT_EQ(runTool("help").status, 0);
}

TEST(InfoTool, WorksOnOtherPlugins) {
    const char* nekobi = "/usr/lib/vst/Nekobi-vst.so";
    if (!exists(nekobi))
        GTEST_SKIP() << nekobi << " is not installed";
    ToolRun run = runTool(std::string("info ") + nekobi);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Nekobi"), std::string::npos);
    EXPECT_NE(run.output.find("Cutoff"), std::string::npos);
    // By name, from the system's VST folder.
    ToolRun byName = runTool("info Nekobi-vst", "VST_PATH=");
    ASSERT_EQ(byName.status, 0) << byName.output;
    EXPECT_NE(byName.output.find(std::string("Plug-in:     ") + nekobi), std::string::npos) << byName.output;
}

}  // namespace
