// kelvox2 validate run as a user runs it, on small plug-ins built with one
// fault each: every fault is reported by the test it belongs to, a crash or a
// hang fails that test without ending the run, and a clean plug-in passes.
#include <gtest/gtest.h>

#include "support/command_run.h"

#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KX_UNDER_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KX_UNDER_SANITIZER 1
#endif

namespace {

struct ToolRun {
    int status = -1;
    std::string out;

    // The line of a test's result, "" when the test did not report.
    std::string line(const std::string& test) const {
        for (const char* verdict : {"PASS ", "FAIL ", "SKIP "}) {
            const std::string key = std::string("  ") + verdict + test + " ";
            const size_t at = out.find(key);
            if (at != std::string::npos)
                return out.substr(at, out.find('\n', at) - at);
        }
        return "";
    }
    bool passed(const std::string& test) const { return line(test).rfind("  PASS ", 0) == 0; }
    bool failed(const std::string& test) const { return line(test).rfind("  FAIL ", 0) == 0; }
};

ToolRun validate(const std::string& arguments) {
    const kx::testing::CommandRun ran = kx::testing::runToolStdout("validate " + arguments);
    ToolRun run;
    run.status = ran.status;
    run.out = ran.out;
    return run;
}

std::string fixture(const char* name) { return std::string(KX_FIXTURE_DIR) + "/fixture_" + name + ".so"; }

TEST(Validate, ACleanPlugInPassesEveryTest) {
    const ToolRun run = validate("--level 1 " + fixture("clean"));
    EXPECT_EQ(run.status, 0) << run.out;
    for (const char* test :
         {"lifecycle", "processing", "output", "events", "parameters", "threads", "state", "editor", "cost"})
        EXPECT_TRUE(run.passed(test)) << test << "\n" << run.out;
}

TEST(Validate, NanAtOneRateIsReportedByTheOutputChecks) {
    const ToolRun run = validate("--level 1 --only output " + fixture("nan_at_96k"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.failed("output")) << run.out;
    EXPECT_NE(run.line("output").find("NaN"), std::string::npos) << run.out;
    EXPECT_NE(run.line("output").find("96000 Hz"), std::string::npos) << run.out;
}

TEST(Validate, ACrashAtBlockSizeOneFailsProcessingWithItsSignalAndTheRunGoesOn) {
    const ToolRun run = validate("--level 1 --only processing,output,events " + fixture("crash_block_of_one"));
    EXPECT_EQ(run.status, 1);
    const std::string line = run.line("processing");
    EXPECT_TRUE(run.failed("processing")) << run.out;
    EXPECT_NE(line.find("crashed with SIG"), std::string::npos) << line;
    EXPECT_NE(line.find("blocks of 1,"), std::string::npos) << line;
    // The crash ended its own test only.
    EXPECT_TRUE(run.passed("output")) << run.out;
    EXPECT_TRUE(run.passed("events")) << run.out;
}

TEST(Validate, AHeapCallInEveryBlockFailsTheCostTest) {
#ifdef KX_UNDER_SANITIZER
    GTEST_SKIP() << "the sanitizer owns the allocation functions";
#endif
    const ToolRun run = validate("--level 1 --only cost " + fixture("heap_per_block"));
    EXPECT_TRUE(run.failed("cost")) << run.out;
    EXPECT_NE(run.line("cost").find("heap calls on the audio thread"), std::string::npos) << run.out;
    // The clean one makes none.
    EXPECT_TRUE(validate("--level 1 --only cost " + fixture("clean")).passed("cost"));
}

TEST(Validate, AParameterThatDoesNotRoundTripFailsTheParameterTest) {
    const ToolRun run = validate("--level 1 --only parameters " + fixture("no_round_trip"));
    EXPECT_TRUE(run.failed("parameters")) << run.out;
    const std::string line = run.line("parameters");
    EXPECT_NE(line.find("parameter 3 (Octave)"), std::string::npos) << line;
    EXPECT_NE(line.find("set again shows"), std::string::npos) << line;
}

TEST(Validate, ACrashOnTheSecondEditorCloseFailsTheEditorTest) {
    const ToolRun run = validate("--level 1 --only editor,cost " + fixture("crash_second_close"));
    const std::string line = run.line("editor");
    EXPECT_TRUE(run.failed("editor")) << run.out;
    EXPECT_NE(line.find("crashed with SIG"), std::string::npos) << line;
    EXPECT_NE(line.find("close number 2"), std::string::npos) << line;
    EXPECT_FALSE(run.failed("cost")) << run.out;
}

TEST(Validate, ATextPastItsBufferFailsWithWhatWasWritten) {
    const ToolRun run = validate("--level 1 --only parameters " + fixture("long_display"));
    const std::string line = run.line("parameters");
    EXPECT_TRUE(run.failed("parameters")) << run.out;
    EXPECT_NE(line.find("effGetParamDisplay"), std::string::npos) << line;
    EXPECT_NE(line.find("wrote 20 bytes"), std::string::npos) << line;
}

TEST(Validate, AHangIsStoppedAfterTheTimeLimitAndFailsItsTest) {
    const ToolRun run = validate("--level 1 --timeout 3 --only processing,parameters " + fixture("hang_at_8k"));
    const std::string line = run.line("processing");
    EXPECT_TRUE(run.failed("processing")) << run.out;
    EXPECT_NE(line.find("hung: no progress for 3 s"), std::string::npos) << line;
    EXPECT_NE(line.find("8000 Hz"), std::string::npos) << line;
    EXPECT_TRUE(run.passed("parameters")) << run.out;
}

TEST(Validate, JsonOutputCarriesEveryResult) {
    const ToolRun run = validate("--json --level 1 --only parameters,editor " + fixture("long_display"));
    EXPECT_EQ(run.status, 1);
    // Standard output is the document alone, whatever the plug-in printed.
    EXPECT_EQ(run.out.front(), '{');
    EXPECT_EQ(run.out[run.out.find_last_not_of(" \n")], '}');
    EXPECT_EQ(run.out.find("fixture: opened\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("fixture: opened\\n"), std::string::npos) << run.out;  // in the failed test's output
    EXPECT_NE(run.out.find("\"name\": \"parameters\", \"result\": \"fail\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"name\": \"editor\", \"result\": \"pass\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"ok\": false"), std::string::npos) << run.out;
}

TEST(Validate, MistakesInTheCommandExitWithTwo) {
    EXPECT_EQ(validate("--level 11").status, 2);
    EXPECT_EQ(validate("--only colours").status, 2);
    EXPECT_EQ(validate("--frobnicate").status, 2);
    EXPECT_EQ(validate("--rates 44100,fast").status, 2);
    // A plug-in that does not load, as the manual page says.
    const ToolRun missing = validate("/nonexistent/plugin.so");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.out.find("FAIL load"), std::string::npos) << missing.out;
}

TEST(Validate, AnIndexedProgramNameThePlugInDoesNotOfferIsNotCompared) {
    const ToolRun run = validate("--level 1 --only state " + fixture("no_indexed_names"));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.passed("state")) << run.out;
}

TEST(Validate, AnOverlongTextFailsOnlyTheTestThatOwnsIt) {
    const ToolRun run = validate("--level 1 --only lifecycle,parameters,threads,state " + fixture("long_display"));
    EXPECT_TRUE(run.failed("parameters")) << run.out;
    for (const char* test : {"lifecycle", "threads", "state"})
        EXPECT_TRUE(run.passed(test)) << test << "\n" << run.out;
}

TEST(Validate, RatesLimitWhereTheSweepsGo) {
    const ToolRun run = validate("--level 1 --rates 44100,48000 --only output " + fixture("nan_at_96k"));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.line("output").find("at each of 2 rates"), std::string::npos) << run.out;
}

TEST(Validate, DenormalsAfterTheReleaseOnThe64BitPathFailTheOutputTest) {
    const ToolRun run = validate("--level 1 --only output " + fixture("denormal_tail_64"));
    EXPECT_TRUE(run.failed("output")) << run.out;
    EXPECT_NE(run.line("output").find("denormal"), std::string::npos) << run.out;
    EXPECT_NE(run.line("output").find("64-bit"), std::string::npos) << run.out;
}

TEST(Validate, ACrashIsAmongTheJsonFailures) {
    const ToolRun run = validate("--json --level 1 --only processing " + fixture("crash_block_of_one"));
    EXPECT_EQ(run.status, 1);
    const size_t failures = run.out.find("\"failures\": [\"");
    ASSERT_NE(failures, std::string::npos) << run.out;
    EXPECT_EQ(run.out.compare(failures + 14, 16, "crashed with SIG"), 0) << run.out.substr(failures);
}

TEST(Validate, NekobiFailsEachOfItsOverlongTextsOnce) {
    const std::string nekobi = "/usr/lib/vst/Nekobi-vst.so";
    if (access(nekobi.c_str(), R_OK) != 0)
        GTEST_SKIP() << "dpf-plugins-vst is not installed";
    const ToolRun run = validate("--level 1 --only lifecycle,parameters,threads,state Nekobi");
    EXPECT_TRUE(run.failed("parameters")) << run.out;
    EXPECT_FALSE(run.failed("threads")) << run.out;
    EXPECT_FALSE(run.failed("state")) << run.out;
}

TEST(Validate, OurPlugInPassesEveryTestAtTheHighestLevel) {
    const ToolRun run = validate("--level 10 " KX_PLUGIN_PATH);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("FAIL"), std::string::npos) << run.out;
}

}  // namespace
