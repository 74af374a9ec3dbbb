#include "instrument/synth_effect.h"
#include "params/program_bank.h"
#include "params/range_param.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace kx {
namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Counts the framework's hook calls on top of the real instrument.
class CountingSynth : public SynthEffect {
public:
    CountingSynth() : SynthEffect(quietHost) {}
    void parametersChanged(int flag) override {
        ++changes;
        SynthEffect::parametersChanged(flag);
    }
    void parameterChanged(int index) override { changedIndices.push_back(index); }
    int changes = 0;
    std::vector<int> changedIndices;
};

// A framework effect with no table of its own: shows the first canDo layer.
class BareEffect : public KEffect {
public:
    BareEffect() : KEffect(quietHost, 1, 0) {}
    void resetEngine() override {}
    bool supportsIo(int inputs, int outputs) override { return inputs == 1 && outputs == 1; }
    void parametersChanged(int) override {}
};

TEST(EffectCanDo, FrameworkAsksSupportsIoAndTheInstrumentOverrides) {
    BareEffect bare;
    EXPECT_EQ(bare.canDo("1in1out"), 1);
    EXPECT_EQ(bare.canDo("2in2out"), -1);
    EXPECT_EQ(bare.canDo("receiveVstMidiEvent"), 0);
    EXPECT_EQ(bare.canDo("3in5out"), 0);
    CountingSynth synth;
    EXPECT_EQ(synth.canDo("1in1out"), -1);
    EXPECT_EQ(synth.canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(synth.canDo("ReceiveVstMidiEvent"), 0);
    EXPECT_EQ(synth.canDo("receiveVstMidiEvent "), 0);
    EXPECT_EQ(synth.canDo("bypass"), -1);
    EXPECT_EQ(synth.canDo(""), 0);
}

// One very precise parameter whose display outgrows the host's 32 characters.
class PreciseEffect : public BareEffect {
public:
    PreciseEffect() {
        auto* p = new KRangeParam;
        p->setName("Huge");
        p->setRange(0, 1e15, 0);
        p->setDecimals(20);
        addParam(0, p);
        buildBank();
    }
};

TEST(EffectDisplay, LongTextsAreCutToEightCharactersEndingInDots) {
    PreciseEffect effect;
    AEffect* e = effect.getAeffect();
    char text[64];
    std::memset(text, '#', sizeof text);
    e->dispatcher(e, effGetParamDisplay, 0, 0, text, 0.0f);
    EXPECT_STREQ(text, "0.000...");
    EXPECT_EQ(text[9], '#');  // nothing written past the terminator
    e->setParameter(e, 0, 1.0f);
    e->dispatcher(e, effGetParamDisplay, 0, 0, text, 0.0f);
    EXPECT_STREQ(text, "10000...");
    EXPECT_STREQ(effect.getBank().valueText(0, 0), "1000000000000000.00000000000000000000");
}

TEST(EffectBank, ParameterChangesGoThroughTheCurrentProgram) {
    CountingSynth synth;
    synth.setProgram(3);
    EXPECT_EQ(synth.getCurrentProgram(), 3);
    synth.changes = 0;
    synth.setParameterReal(kDetune1, 50);
    EXPECT_EQ(synth.changes, 1);
    EXPECT_EQ(synth.changedIndices, std::vector<int>{kDetune1});
    EXPECT_DOUBLE_EQ(synth.getParameterValue(kDetune1), 149.0 / 198);
    EXPECT_STREQ(synth.getBank().valueText(3, kDetune1), "50");
    EXPECT_STREQ(synth.getBank().valueText(0, kDetune1), "0");
    synth.setParameterValue(99, 0.5);  // no such parameter: nothing happens
    EXPECT_EQ(synth.changes, 1);
}

TEST(EffectBank, OutOfRangeProgramStillReportsAChange) {
    CountingSynth synth;
    synth.setProgram(2);
    synth.changes = 0;
    synth.setProgram(10);
    synth.setProgram(-1);
    EXPECT_EQ(synth.getCurrentProgram(), 2);
    EXPECT_EQ(synth.changes, 2);
}

TEST(EffectBank, CopyProgramCopiesTheWholeRecord) {
    CountingSynth synth;
    synth.setProgramName("Lead");
    synth.setParameterReal(kLFODepth, 30);
    EXPECT_TRUE(synth.copyProgram(7));
    EXPECT_STREQ(synth.getBank().programName(7), "Lead");
    EXPECT_STREQ(synth.getBank().unitText(7, kLFODepth), "30 %");
    EXPECT_FALSE(synth.copyProgram(10));
}

TEST(EffectBank, FindParameterIgnoresCaseButNotLength) {
    CountingSynth synth;
    EXPECT_EQ(synth.findParameter("mainlvl"), kMainLvl);
    EXPECT_EQ(synth.findParameter("PARTIAL3"), kPartial3);
    EXPECT_EQ(synth.findParameter("MainLvl2"), -1);
    EXPECT_EQ(synth.findParameter(nullptr), -1);
}

TEST(EffectSetup, CommandsAndArrangements) {
    CountingSynth synth;
    const KCommandList& commands = synth.getCommandList();
    ASSERT_EQ(commands.count(), 4);
    const char* names[] = {"AutoLevel", "Random", "FullRnd", "PartRnd"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(commands.get(i)->getName(), names[i]);
        EXPECT_EQ(commands.get(i)->commandNumber, i);
    }
    EXPECT_EQ(synth.getInputArrangement().numChannels, 0);
    EXPECT_EQ(synth.getOutputArrangement().numChannels, 1);
    EXPECT_EQ(synth.getOutputArrangement().type, kSpeakerArrMono);
}

TEST(EventQueue, KeepsTheFirst512MidiEventsAndDropsOthers) {
    CountingSynth synth;
    std::vector<VstMidiEvent> midi(600);
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    std::vector<VstEvent*> pointers;
    for (int i = 0; i < 600; ++i) {
        midi[i] = VstMidiEvent{};
        midi[i].type = kVstMidiType;
        midi[i].deltaFrames = i;
        midi[i].midiData[1] = static_cast<char>(i & 0x7F);
        if (i % 100 == 0)
            pointers.push_back(reinterpret_cast<VstEvent*>(&sysex));
        pointers.push_back(reinterpret_cast<VstEvent*>(&midi[i]));
    }
    pointers.push_back(nullptr);  // a broken host's hole in the list
    std::vector<unsigned char> list(16 + 8 * pointers.size());
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = static_cast<VstInt32>(pointers.size());
    std::memcpy(list.data() + 16, pointers.data(), 8 * pointers.size());

    EXPECT_EQ(synth.processEvents(events), 1);
    const EventQueue& q = synth.getEventQueue();
    EXPECT_EQ(q.size(), 512);
    EXPECT_EQ(q.at(0)->deltaFrames, 0);
    EXPECT_EQ(q.at(511)->deltaFrames, 511);
    EXPECT_EQ(q.at(512), nullptr);
    // The next block starts afresh; a sample-rate change empties the queue.
    events->numEvents = 3;
    synth.processEvents(events);
    EXPECT_EQ(q.size(), 2);
    synth.setSampleRate(22050.0f);
    EXPECT_EQ(q.size(), 0);
    EXPECT_EQ(q.capacity(), 512);
    EXPECT_EQ(synth.processEvents(nullptr), 1);
    EXPECT_EQ(q.size(), 0);
}

TEST(EffectDispatcher, RefusesWhatItCannotCheck) {
    auto* synth = new CountingSynth;
    AEffect* e = synth->getAeffect();
    // Null pointers are answered with 0, never followed.
    for (VstInt32 op :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName, effGetChunk, effSetChunk,
          effGetEffectName, effGetVendorString, effCanDo, effGetProgramNameIndexed, effGetOutputProperties,
          effSetSpeakerArrangement, effGetSpeakerArrangement, effEditGetRect, effSetProgramName})
        EXPECT_EQ(e->dispatcher(e, op, 0, 0, nullptr, 0.0f), 0) << "opcode " << op;
    // A rate that is not a positive finite number changes nothing.
    for (float rate : {0.0f, -44100.0f, NAN, INFINITY})
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(synth->getSampleRate(), 44100.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 32000.0f);
    EXPECT_EQ(synth->getSampleRate(), 32000.0f);
    // A host NaN never reaches the program.
    e->setParameter(e, kLevel1, NAN);
    EXPECT_EQ(e->getParameter(e, kLevel1), 1.0f);
    EXPECT_EQ(e->getParameter(e, 30), 0.0f);
    e->setParameter(e, -1, 0.5f);
    // A null typed text asks whether the parameter takes text at all.
    EXPECT_EQ(e->dispatcher(e, effString2Parameter, kMainLvl, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(e->dispatcher(e, effString2Parameter, 30, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
}

// Writes texts far longer than any request takes.
class LongTextEffect : public AudioEffectX {
public:
    LongTextEffect() : AudioEffectX(quietHost, 1, 1) {}
    static void fill(char* text) {
        std::memset(text, 'x', 255);
        text[255] = '\0';
    }
    void getProgramName(char* name) override { fill(name); }
    void getParameterLabel(VstInt32, char* label) override { fill(label); }
    void getParameterDisplay(VstInt32, char* text) override { fill(text); }
    void getParameterName(VstInt32, char* text) override { fill(text); }
    bool getProgramNameIndexed(VstInt32, VstInt32, char* text) override {
        fill(text);
        return true;
    }
    bool getEffectName(char* name) override {
        fill(name);
        return true;
    }
    bool getVendorString(char* text) override {
        fill(text);
        return true;
    }
    bool getProductString(char* text) override {
        fill(text);
        return true;
    }
};

TEST(EffectDispatcher, TextAnswersStopAtEachRequestsLimit) {
    auto* effect = new LongTextEffect;
    AEffect* e = effect->getAeffect();
    const struct {
        VstInt32 opcode;
        size_t characters;
    } requests[] = {{effGetProgramName, 24},  {effGetParamLabel, 8},          {effGetParamDisplay, 8},
                    {effGetParamName, 8},     {effGetProgramNameIndexed, 24}, {effGetEffectName, 31},
                    {effGetVendorString, 63}, {effGetProductString, 63}};
    for (const auto& r : requests) {
        char host[300];
        std::memset(host, '#', sizeof host);
        e->dispatcher(e, r.opcode, 0, 0, host, 0.0f);
        EXPECT_EQ(strnlen(host, sizeof host), r.characters) << "opcode " << r.opcode;
        // Nothing past the terminator is touched.
        EXPECT_EQ(host[r.characters + 1], '#') << "opcode " << r.opcode;
    }
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
}

// Keeps the last key code the dispatcher built.
class KeyEditor : public AEffEditor {
public:
    bool getRect(ERect**) override { return false; }
    bool open(void*) override { return false; }
    void close() override {}
    bool onKeyDown(VstKeyCode& key) override {
        last = key;
        return true;
    }
    VstKeyCode last{};
};

TEST(EffectDispatcher, KeyCodesTakeOnlyModifiersThatFitAByte) {
    auto* synth = new CountingSynth;
    auto editor = std::make_unique<KeyEditor>();
    KeyEditor* keys = editor.get();
    synth->setEditor(std::move(editor));
    AEffect* e = synth->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effEditKeyDown, 'a', 0x20, nullptr, 3.0f), 1);
    EXPECT_EQ(keys->last.character, 'a');
    EXPECT_EQ(keys->last.virt, 0x20);
    EXPECT_EQ(keys->last.modifier, 3);
    // A host's stray float must not be converted past a byte's range.
    for (float opt : {-1.0f, 256.0f, 1e30f, -INFINITY, NAN}) {
        e->dispatcher(e, effEditKeyDown, 'b', 0, nullptr, opt);
        EXPECT_EQ(keys->last.modifier, 0) << opt;
    }
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
}

}  // namespace
}  // namespace kx
