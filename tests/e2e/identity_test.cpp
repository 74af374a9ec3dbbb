// What the instrument tells a host about itself: the AEffect record, the
// identity requests, capabilities, pins, arrangements and exports.
#include "plugin_fixture.h"
#include "support/command_run.h"

#include <dlfcn.h>
#include <cstdio>
#include <set>
#include <sstream>

namespace kx::e2e {
namespace {

TEST_F(PluginTest, AEffectRecordHoldsTheInstrumentsValues) {
    const AEffect* e = host.effect();
    EXPECT_EQ(e->magic, VST_FOURCC('V', 's', 't', 'P'));
    EXPECT_EQ(e->numPrograms, 10);
    EXPECT_EQ(e->numParams, 30);
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 1);
    // The built-in skin gives an editor; chunks are never offered.
    EXPECT_EQ(e->flags, 0x1111);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->uniqueID, 0x6B764D74);  // 'kvMt'
    EXPECT_EQ(e->version, 1200);
    EXPECT_NE(e->object, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_NE(e->process, nullptr);
}

TEST_F(PluginTest, IdentityRequests) {
    EXPECT_EQ(host.effectName(), "Kelvox2");
    EXPECT_EQ(host.vendorString(), "Tamlow");
    EXPECT_EQ(host.productString(), "Kelvox2");
    EXPECT_EQ(host.vendorVersion(), 1200);
    EXPECT_EQ(host.vstVersion(), 2400);
    EXPECT_EQ(host.plugCategory(), kPlugCategSynth);  // hosts list it with the instruments
    EXPECT_EQ(host.dispatch(effIdentify), VST_FOURCC('N', 'v', 'E', 'f'));
    EXPECT_EQ(host.dispatch(effGetTailSize), 0);
    EXPECT_EQ(host.dispatch(effGetNumMidiInputChannels), 0);
    EXPECT_EQ(host.dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ(host.dispatch(effSetProcessPrecision, 0, 1), 0);
    EXPECT_EQ(host.dispatch(effGetParameterProperties, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effVendorSpecific, 1, 2, nullptr), 0);
    EXPECT_EQ(host.dispatch(effBeginSetProgram), 0);
    EXPECT_EQ(host.dispatch(effGetMidiProgramName, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(9999), 0);
}

TEST_F(PluginTest, CanDoAnswersExactTexts) {
    const std::pair<const char*, VstIntPtr> answers[] = {
        {"sendVstEvents", -1},
        {"sendVstMidiEvent", -1},
        {"sendVstTimeInfo", -1},
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"receiveVstTimeInfo", -1},
        {"offline", -1},
        {"plugAsChannelInsert", -1},
        {"plugAsSend", -1},
        {"mixDryWet", -1},
        {"noRealTime", 0},
        {"multipass", 0},
        {"metapass", 0},
        {"1in1out", -1},
        {"1in2out", -1},
        {"2in1out", -1},
        {"2in2out", -1},
        {"2in4out", -1},
        {"4in2out", -1},
        {"4in4out", -1},
        {"4in8out", -1},
        {"8in4out", -1},
        {"8in8out", -1},
        {"midiProgramNames", -1},
        {"conformsToWindowRules", 0},
        {"bypass", -1},
        {"ReceiveVstMidiEvent", 0},
        {"receiveVstSysexEvent", 0},
        {"0in1out", 0},
        {"", 0},
    };
    for (const auto& [text, answer] : answers)
        EXPECT_EQ(host.canDo(text), answer) << text;
}

TEST_F(PluginTest, BypassIsRefused) {
    EXPECT_EQ(host.dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(host.dispatch(effSetBypass, 0, 0), 0);
}

TEST_F(PluginTest, OneActiveOutputPinNoInputs) {
    VstPinProperties pin;
    std::memset(&pin, 0x55, sizeof pin);
    ASSERT_TRUE(host.outputProperties(0, &pin));
    EXPECT_STREQ(pin.label, "Elvox2");
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_FALSE(host.outputProperties(1, &pin));
    EXPECT_FALSE(host.outputProperties(-1, &pin));
    EXPECT_FALSE(host.inputProperties(0, &pin));
}

VstSpeakerArrangement arrangement(int type, int channels) {
    VstSpeakerArrangement a{};
    a.type = type;
    a.numChannels = channels;
    for (int i = 0; i < channels && i < 8; ++i)
        std::snprintf(a.speakers[i].name, sizeof a.speakers[i].name, "speaker %d", i);
    return a;
}

TEST_F(PluginTest, SpeakerArrangementsAcceptOnlyNoInputsOneOutput) {
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    ASSERT_TRUE(host.getSpeakerArrangement(&in, &out));
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->numChannels, 0);
    EXPECT_EQ(out->numChannels, 1);
    EXPECT_EQ(out->type, kSpeakerArrMono);

    VstSpeakerArrangement noInputs = arrangement(kSpeakerArrEmpty, 0);
    VstSpeakerArrangement mono = arrangement(kSpeakerArrUserDefined, 1);
    EXPECT_TRUE(host.setSpeakerArrangement(&noInputs, &mono));
    EXPECT_EQ(out->type, kSpeakerArrUserDefined);
    EXPECT_STREQ(out->speakers[0].name, "speaker 0");

    VstSpeakerArrangement stereo = arrangement(kSpeakerArrStereo, 2);
    EXPECT_FALSE(host.setSpeakerArrangement(&noInputs, &stereo));
    EXPECT_EQ(out->numChannels, 1);
    EXPECT_EQ(out->type, kSpeakerArrUserDefined);
    EXPECT_FALSE(host.setSpeakerArrangement(nullptr, &mono));
    EXPECT_FALSE(host.setSpeakerArrangement(&noInputs, nullptr));
    EXPECT_FALSE(host.getSpeakerArrangement(nullptr, &out));
}

TEST_F(PluginTest, ResumeAsksForMidiSuspendDoesNot) {
    host.clearRecordedCalls();
    host.mainsChanged(true);
    ASSERT_EQ(host.recordedCalls().size(), 1u);
    EXPECT_EQ(host.recordedCalls()[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(host.recordedCalls()[0].value, 1);
    host.mainsChanged(false);
    EXPECT_EQ(host.recordedCalls().size(), 1u);
}

TEST_F(PluginTest, ProcessingAsksForTempoAndPosition) {
    float buffer[64];
    float* outputs[] = {buffer};
    host.timeInfoEnabled = true;
    host.processReplacing(nullptr, outputs, 64);
    host.processReplacing(nullptr, nullptr, 64);  // no outputs: nothing to write, no crash
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    EventList events;
    events.add(0, 0x90, 60, 100);
    EXPECT_EQ(host.processEvents(events.build({reinterpret_cast<VstEvent*>(&sysex)})), 1);
}

TEST(PluginEntry, AVersionOneHostGetsNoEffect) {
    PluginHost host;
    host.hostVersion = 0;
    std::string error;
    EXPECT_FALSE(host.load(KX_PLUGIN_PATH, &error));
    EXPECT_NE(error.find("no effect"), std::string::npos) << error;
}

VstIntPtr plainHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(PluginEntry, BothEntryNamesCreateIndependentEffects) {
    void* module = dlopen(KX_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto modern = reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain"));
    auto legacy = reinterpret_cast<VstPluginMainProc>(dlsym(module, "main"));
    ASSERT_TRUE(modern && legacy);
    AEffect* a = modern(plainHost);
    AEffect* b = legacy(plainHost);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    a->setParameter(a, 26, 1.0f);
    EXPECT_EQ(b->getParameter(b, 26), 0.0f);
    EXPECT_EQ(a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(modern(nullptr), nullptr);
    dlclose(module);
}

TEST(PluginExports, OnlyTheTwoEntryNames) {
    std::string command = std::string("nm -D --defined-only '") + KX_PLUGIN_PATH + "'";
    const testing::CommandRun ran = testing::runShell(command);
    std::set<std::string> names;
    std::istringstream lines(ran.out);
    for (std::string s; std::getline(lines, s);) {
        s.erase(s.find_last_not_of("\r\n") + 1);
        names.insert(s.substr(s.find_last_of(' ') + 1));
    }
    ASSERT_EQ(ran.status, 0);
    EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST(PluginExports, DependsOnlyOnTheSystemLibrariesAHostHas) {
#ifdef KX_SANITIZED
    GTEST_SKIP() << "the sanitized module takes the C++ runtime from the system";
#endif
    std::string command = std::string("readelf -d '") + KX_PLUGIN_PATH + "'";
    const testing::CommandRun ran = testing::runShell(command);
    std::set<std::string> needed;
    std::istringstream lines(ran.out);
    for (std::string s; std::getline(lines, s);) {
        size_t open = s.find("(NEEDED)");
        size_t from = s.find('[', open), to = s.find(']', from);
        if (open != std::string::npos && from != std::string::npos && to != std::string::npos)
            needed.insert(s.substr(from + 1, to - from - 1));
    }
    ASSERT_EQ(ran.status, 0);
    const std::set<std::string> allowed = {"libc.so.6",    "libm.so.6",        "ld-linux-x86-64.so.2", "libX11.so.6",
                                           "libXext.so.6", "libfreetype.so.6", "libfontconfig.so.1"};
    EXPECT_TRUE(needed.count("libX11.so.6"));
    for (const std::string& library : needed)
        EXPECT_TRUE(allowed.count(library)) << library;
}

}  // namespace
}  // namespace kx::e2e
