// The instrument in a host that has set a decimal-comma locale, as desktop
// applications do with setlocale(LC_ALL, ""): every number it shows, reads
// and parses keeps its decimal point.
#include "plugin_fixture.h"

#include "data/byte_source.h"
#include "instrument/synth_effect.h"
#include "skin/skin.h"
#include "skin/skin_parser.h"

#include <clocale>
#include <cstdio>
#include <memory>

namespace kx::e2e {
namespace {

constexpr int kPorta1 = 4, kPtchBend = 28, kMainLvl = 29;

class GermanHost : public PluginTest {
protected:
    void SetUp() override {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved_ = old ? old : "C";
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/install-deps.sh generates it)";
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        ASSERT_STREQ(probe, "1,5");
        PluginTest::SetUp();
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

    std::string saved_;
};

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : opcode == audioMasterGetSampleRate ? 48000 : 0;
}

class CountingDiagnostics : public KSkinDiagnostics {
public:
    void lineIgnored(int, const char* text, const char* reason) override {
        ADD_FAILURE() << text << ": " << reason;
        ++ignored;
    }
    void skinRejected(const char* reason) override { ADD_FAILURE() << reason; }
    int ignored = 0;
};

TEST_F(GermanHost, DisplaysAndTypedValuesKeepTheDecimalPoint) {
    EXPECT_EQ(host.paramDisplay(kMainLvl), "-12.5");
    EXPECT_TRUE(host.string2parameter(kPtchBend, "1.5"));
    EXPECT_EQ(host.paramDisplay(kPtchBend), "1.5");
    EXPECT_FLOAT_EQ(host.getParameter(kPtchBend), 1.5f / 12);
    EXPECT_TRUE(host.string2parameter(kPorta1, "0.25"));
    EXPECT_EQ(host.paramDisplay(kPorta1), "0.25");
    // A typed "nan" is no number: kept, as any text that is none.
    EXPECT_FALSE(host.string2parameter(kPorta1, "nan"));
    EXPECT_EQ(host.paramDisplay(kPorta1), "0.25");
    EXPECT_TRUE(host.string2parameter(kMainLvl, "-Inf"));
    EXPECT_EQ(host.getParameter(kMainLvl), 0.0f);
}

TEST_F(GermanHost, SkinNumbersAndTheSampleRateKeepTheDecimalPoint) {
    SynthEffect effect(quietHost);
    effect.setSampleRate(48000.0f);
    char text[64];
    effect.expandVariables(text, sizeof text, "${SRate}");
    EXPECT_STREQ(text, "48000.0");

    // A dial's radius of 0.5 read as 0 would be refused.
    const char script[] =
        "AddResource white RGBColour 255 255 255\n"
        "Init 100 50 1\n"
        "AddControl 1 0 0 40 40 KPotDot Detune1 white 0.5 white\n";
    KMemorySource source(reinterpret_cast<const uint8_t*>(script), sizeof script - 1);
    CountingDiagnostics diagnostics;
    std::unique_ptr<KSkin> skin = parseSkin(source, &effect, nullptr, &diagnostics);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(diagnostics.ignored, 0);
    EXPECT_EQ(skin->controlCount(), 1u);
}

}  // namespace
}  // namespace kx::e2e
