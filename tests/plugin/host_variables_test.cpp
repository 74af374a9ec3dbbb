#include "instrument/platform_name.h"
#include "instrument/synth_effect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace kx {
namespace {

// What the fake host writes for the vendor and product requests; empty
// means it answers without writing.
std::string gHostVendor;
std::string gHostProduct;
VstIntPtr gHostRate = 48000;

VstIntPtr fakeHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return gHostRate;
    case audioMasterGetVendorString:
    case audioMasterGetProductString: {
        const std::string& text = opcode == audioMasterGetVendorString ? gHostVendor : gHostProduct;
        if (!text.empty())
            std::strcpy(static_cast<char*>(ptr), text.c_str());
        return 1;
    }
    default: return 0;
    }
}

class HostVariables : public ::testing::Test {
protected:
    void SetUp() override {
        gHostVendor = "Acme Audio";
        gHostProduct = "";
        gHostRate = 48000;
        effect = std::make_unique<SynthEffect>(fakeHost);
    }

    std::string expand(const char* text, int size = 256) {
        char out[300];
        std::memset(out, 'x', sizeof out);
        effect->expandVariables(out, size, text);
        return out;
    }

    std::unique_ptr<SynthEffect> effect;
};

TEST_F(HostVariables, ExpandsEachKnownName) {
    EXPECT_EQ(expand("Rate: ${SRate} Hz"), "Rate: 48000.0 Hz");
    EXPECT_EQ(expand("${PlugVer}/${PlugBuild}/${BuildDate}"), "1.2/1.2.4.4/13 May 2015");
    EXPECT_EQ(expand("${Platform}"), platformName());  // "Linux64", "Win64"
    EXPECT_EQ(expand("${Inputs} in, ${Outputs} out"), "0 in, 1 out");
    EXPECT_EQ(expand("${HostVend}"), "Acme Audio");
}

TEST_F(HostVariables, UnknownOrMiscasedNamesExpandToNothing) {
    EXPECT_EQ(expand("[${outputs}]"), "[]");
    EXPECT_EQ(expand("[${}]"), "[]");
    EXPECT_EQ(expand("a $ b ${Outputs"), "a $ b 1");  // unterminated: the rest is the name
    EXPECT_EQ(expand("cost $5 {x}"), "cost $5 {x}");
}

TEST_F(HostVariables, SilentHostGivesUnknown) {
    EXPECT_EQ(expand("${HostName}"), "Unknown");
    gHostVendor = "";
    EXPECT_EQ(expand("by ${HostVend}"), "by Unknown");
}

TEST_F(HostVariables, OutputIsCutAndAlwaysTerminated) {
    EXPECT_EQ(expand("anything ${SRate}", 1), "");
    EXPECT_EQ(expand("ab${PlugBuild}", 6), "ab1.2");
    EXPECT_EQ(expand(nullptr), "");
    // A name longer than 63 characters is read to its end and cut.
    std::string longName = "${" + std::string(100, 'A') + "}tail";
    EXPECT_EQ(expand(longName.c_str()), "tail");
    char small[4];
    effect->getVariable(small, sizeof small, "BuildDate");
    EXPECT_STREQ(small, "13 ");
    effect->getVariable(small, sizeof small, "HostVend");
    EXPECT_STREQ(small, "Acm");
}

TEST_F(HostVariables, SampleRateFollowsTheEffect) {
    effect->setSampleRate(96000.0f);
    EXPECT_EQ(expand("${SRate}"), "96000.0");
}

}  // namespace
}  // namespace kx
