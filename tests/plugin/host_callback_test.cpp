// What the effect asks of its host, opcode by opcode.
#include "instrument/synth_effect.h"

#include <gtest/gtest.h>

#include <vector>

namespace kx {
namespace {

struct Call {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

std::vector<Call> gCalls;
VstTimeInfo gTime{};
VstIntPtr gRateAnswer = 0;

VstIntPtr recordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    gCalls.push_back({effect, opcode, index, value, opt});
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return gRateAnswer;
    case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&gTime);
    default: return 0;
    }
}

TEST(HostCallback, ConstructionAsksOnlyForTheSampleRate) {
    gCalls.clear();
    gRateAnswer = 0;
    SynthEffect quiet(recordingHost);
    EXPECT_EQ(quiet.getSampleRate(), 44100.0f);  // no answer keeps the default
    gRateAnswer = 96000;
    gCalls.clear();
    SynthEffect synth(recordingHost);
    EXPECT_EQ(synth.getSampleRate(), 96000.0f);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].opcode, audioMasterGetSampleRate);
    EXPECT_EQ(gCalls[0].effect, synth.getAeffect());
}

TEST(HostCallback, EditWrappersSendTheirOpcodes) {
    SynthEffect synth(recordingHost);
    gCalls.clear();
    synth.beginEdit(5);
    synth.setParameterAutomated(5, 0.25f);
    synth.endEdit(5);
    ASSERT_EQ(gCalls.size(), 3u);
    EXPECT_EQ(gCalls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(gCalls[0].index, 5);
    EXPECT_EQ(gCalls[1].opcode, audioMasterAutomate);
    EXPECT_EQ(gCalls[1].index, 5);
    EXPECT_EQ(gCalls[1].opt, 0.25f);
    EXPECT_EQ(gCalls[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(synth.getParameter(5), 0.25f);
}

TEST(HostCallback, TimeInfoIsAskedWithTheGivenFilter) {
    SynthEffect synth(recordingHost);
    gCalls.clear();
    EXPECT_EQ(synth.getTimeInfo(kVstPpqPosValid | kVstTempoValid), &gTime);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].opcode, audioMasterGetTime);
    EXPECT_EQ(gCalls[0].value, 0x600);
}

TEST(HostCallback, NoHostMeansNoAnswers) {
    SynthEffect alone(nullptr);
    EXPECT_EQ(alone.getTimeInfo(0x600), nullptr);
    EXPECT_FALSE(alone.beginEdit(0));
    char text[64] = "x";
    EXPECT_FALSE(alone.getHostVendorString(text));
    EXPECT_STREQ(text, "");
    alone.resume();  // asks for MIDI of nobody
}

}  // namespace
}  // namespace kx
