// render --set as a musician types values: choices by a start of their name,
// numbers with units, clamping with a warning, and clear refusals.
#include "tool_fixture.h"

#include <cmath>

namespace kx::tooltest {
namespace {

constexpr int kWave2 = 7, kAttk1 = 2, kDetune1 = 1, kLFOWave = 23, kLFODepth = 26, kPortaRst = 27, kMainLvl = 29;

using RenderSet = ToolTest;

TEST_F(RenderSet, ChoicesAndNumbersAreReadAsAMusicianTypesThem) {
    std::vector<float> p = savedProgram(
        "--set Wave2=saw --set attk1=500ms --set lfodep=50% --set Detune1=-0.5semis --set MainLvl='-6 dB' "
        "--set PortaRst=1500ms --set lfowave=RIS");
    ASSERT_EQ(p.size(), 30u);
    EXPECT_EQ(p[kWave2], 1.0f);                              // Sawtooth, the last of four
    EXPECT_FLOAT_EQ(p[kAttk1], float((0.5 - 0.01) / 1.99));  // 0.5 s, not 500 s
    EXPECT_FLOAT_EQ(p[kLFODepth], 0.5f);
    EXPECT_FLOAT_EQ(p[kDetune1], float(49.0 / 198));  // -50 cents of -99..99
    EXPECT_FLOAT_EQ(p[kMainLvl], float(std::pow(10.0, -0.3)));
    EXPECT_FLOAT_EQ(p[kPortaRst], float(1.4 / 4.9));
    EXPECT_FLOAT_EQ(p[kLFOWave], 0.6f);  // Rising, the fourth of six
}

TEST_F(RenderSet, MinusInfinityInADecibelParameterIsSilence) {
    std::vector<float> p = savedProgram("--set MainLvl=-Inf --set Level2=-inf");
    ASSERT_EQ(p.size(), 30u);
    EXPECT_EQ(p[kMainLvl], 0.0f);
    EXPECT_EQ(p[14], 0.0f);
}

TEST_F(RenderSet, ValuesOutsideTheRangeAreClampedWithAWarning) {
    const std::string fxp = path("p.fxp");
    RunResult r = run("render --set Attk1=5 --set Detune1=-2semis --save-fxp " + fxp);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("warning: Attk1=5 is above its range 0.01 to 2.00 s: set to 2.00 s"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("warning: Detune1=-2semis is below its range -99 to 99 cents: set to -99 cents"),
              std::string::npos)
        << r.output;
    FxProgram program;
    std::string error;
    ASSERT_TRUE(readFxpFile(fxp.c_str(), program, error)) << error;
    EXPECT_EQ(program.params[kAttk1], 1.0f);
    EXPECT_EQ(program.params[kDetune1], 0.0f);
}

TEST_F(RenderSet, TextItCannotReadFailsNamingTheParameterAndWhatItTakes) {
    struct Case {
        const char* set;
        const char* says;
    };
    const Case cases[] = {
        {"Wave2=bogus", "Wave2 takes one of Sine, Triangle, Square, Sawtooth, not 'bogus'"},
        {"Wave2=s", "'s' could be Sine, Square or Sawtooth"},
        {"LFODepth=abc", "LFODepth takes a number from 0 to 100 %, not 'abc'"},
        {"Level1=mute", "Level1 takes a number from -Inf to 0.0 dB, or off, not 'mute'"},
        {"LFODepth=", "LFODepth needs a value: a number from 0 to 100 %"},
        {"Attk1=500kg", "Attk1 takes a number from 0.01 to 2.00 s, not '500kg'"},
        {"Attk1=2Hz", "Attk1 takes a number from 0.01 to 2.00 s, not '2Hz'"},
        {"Attk1=nan", "not 'nan'"},
        {"PtchBend=1,5", "not '1,5' (decimals take a point: 1.5)"},
        {"Nothing=1", "the plug-in has no parameter 'Nothing'"},
        {"Wave=saw", "'Wave' could be Wave1, Wave2 or Wave3"},
    };
    for (const Case& c : cases) {
        RunResult r = run("render " + demo() + " " + path("out.wav") + " --set '" + c.set + "'");
        EXPECT_EQ(r.exitCode, 2) << c.set << "\n" << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << c.set << "\n" << r.output;
        EXPECT_FALSE(fs::exists(path("out.wav"))) << c.set;
    }
}

TEST_F(RenderSet, WorksThroughTheInterfaceOnOtherPlugins) {
    const std::string nekobi = "/usr/lib/vst/Nekobi-vst.so";
    if (!fs::exists(nekobi))
        GTEST_SKIP() << "no " << nekobi;
    RunResult info = run("info --params " + nekobi);
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("Waveform"), std::string::npos) << info.output;

    const std::string fxp = path("n.fxp");
    // Nekobi reads no typed text (effString2Parameter): the values are found by their display.
    RunResult r = run("render " + nekobi + " --set Tuning=3.5 --set 'Cutoff=150 %' --set wave=tri --save-fxp " + fxp);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("warning: Cutoff=150 % is above its range"), std::string::npos) << r.output;
    FxProgram program;
    std::string error;
    ASSERT_TRUE(readFxpFile(fxp.c_str(), program, error)) << error;
    ASSERT_GE(program.params.size(), 3u);
    EXPECT_EQ(program.params[0], 1.0f);                     // Triangle
    EXPECT_NEAR(program.params[1], (3.5 + 12) / 24, 1e-5);  // -12..12
    EXPECT_EQ(program.params[2], 1.0f);
    EXPECT_EQ(run("render " + nekobi + " --set Cutoff=bright --save-fxp " + fxp).exitCode, 2);
}

}  // namespace
}  // namespace kx::tooltest
