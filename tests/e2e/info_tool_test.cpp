// `kelvox2 info` on the instrument and on other plug-ins.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun runTool(const std::string& arguments) {
    std::string command = std::string("'") + KX_TOOL_PATH + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ToolRun run{-1, ""};
    if (!pipe)
        return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool exists(const char* path) {
    struct stat st;
    return ::stat(path, &st) == 0;
}

TEST(InfoTool, PrintsTheInstrumentsIdentityAndParameters) {
    ToolRun run = runTool(std::string("info '") + KX_PLUGIN_PATH + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* expected : {"Kelvox2", "Tamlow", "'kvMt'", "Parameters (30)", "MainLvl", "-12.5",
                                 "per bar", "Elvox2", "Programs (10", "Defaults", "receiveVstMidiEvent"})
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

TEST(InfoTool, WorksOnOtherPlugins) {
    const char* nekobi = "/usr/lib/vst/Nekobi-vst.so";
    if (!exists(nekobi))
        GTEST_SKIP() << nekobi << " is not installed";
    ToolRun run = runTool(std::string("info ") + nekobi);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Nekobi"), std::string::npos);
    EXPECT_NE(run.output.find("Cutoff"), std::string::npos);
}

}  // namespace
