// The factory sounds as a user meets them: the installed bank loaded with
// --fxb, each program playing a short phrase audibly and without clipping,
// and the names the documents list.
#include "tool_fixture.h"

#include <algorithm>
#include <cmath>
#include <regex>

namespace kx::tooltest {
namespace {

// Low to high, with a legato pair (for the glides) and a held note (for the
// slow attacks): at 120 bpm, about 4 s.
std::vector<unsigned char> phrase() {
    return midiFile({0x00, 0x90, 36,   100, 0x83, 0x60, 0x80, 36,   0,       // bass note, a beat
                     0x00, 0x90, 48,   100, 0x83, 0x60, 0x80, 48,   0,       //
                     0x00, 0x90, 60,   100, 0x81, 0x70, 0x90, 67,   100,     // legato into 67
                     0x81, 0x70, 0x80, 60,  0,    0x83, 0x60, 0x80, 67,  0,  //
                     0x00, 0x90, 72,   100, 0x87, 0x40, 0x80, 72,   0,       // held two beats
                     0x00, 0x90, 84,   100, 0x81, 0x70, 0x80, 84,   0});
}

using FactoryBank = ToolTest;

TEST_F(FactoryBank, EachProgramPlaysAPhraseAudiblyWithoutClipping) {
    const std::vector<unsigned char> midi = phrase();
    writeBytes(path("phrase.mid"), midi.data(), midi.size());
    for (int program = 0; program < 10; ++program) {
        SCOPED_TRACE(program);
        std::string name = std::to_string(program);
        name += ".wav";
        const std::string out = path(name);
        RunResult r = run("render " + path("phrase.mid") + " " + out + " --fxb " + KX_FACTORY_BANK + " --program " +
                          std::to_string(program) + " --quiet");
        ASSERT_EQ(r.exitCode, 0) << r.output;
        Audio audio;
        ASSERT_TRUE(readAudio(out, audio));
        float peak = 0;
        double energy = 0;
        for (float s : audio.samples) {
            peak = std::max(peak, std::fabs(s));
            energy += double(s) * s;
        }
        const double rms = std::sqrt(energy / double(audio.samples.size()));
        EXPECT_LT(peak, 0.98f);  // headroom left: no clipping in a host's fixed-point path
        EXPECT_GT(peak, 0.25f);  // not buried
        EXPECT_GT(rms, 0.02);    // sounding through the phrase, not a click
    }
}

TEST_F(FactoryBank, IsABankOfTheInstrumentWithTheProgramsTheDocumentsList) {
    FxBank bank;
    std::string error;
    ASSERT_TRUE(readFxbFile(KX_FACTORY_BANK, bank, error)) << error;
    EXPECT_EQ(bank.fxID, fourCC('k', 'v', 'M', 't'));
    EXPECT_FALSE(bank.isChunk);
    ASSERT_EQ(bank.programs.size(), 10u);
    const std::string doc = readBytes(std::string(KX_SOURCE_DIR) + "/docs/sounds.md");
    std::vector<std::string> listed;
    const std::regex row(R"(\n\| (\d) \| ([^|]+) \|)");
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), row); it != std::sregex_iterator(); ++it)
        listed.push_back((*it)[2].str());
    ASSERT_EQ(listed.size(), 10u) << doc;
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(bank.programs[i].params.size(), 30u);
        EXPECT_EQ(bank.programs[i].name, listed[i]);
    }
}

}  // namespace
}  // namespace kx::tooltest
