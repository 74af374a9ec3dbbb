#pragma once

// A minimal host for driving the instrument through its AEffect record:
// answers the version and sample-rate queries, hands out a time record the
// test controls, counts MIDI requests and records the edits reported to it.

#include <cstring>
#include <memory>
#include <vector>

#include "engine/random.h"
#include "instrument/synth_effect.h"
#include "plugin/vst_abi.h"

namespace kx::test {

struct SynthHost {
    VstTimeInfo time{};
    bool hasTime = false;
    int timeQueries = 0;
    int wantMidi = 0;
    VstIntPtr sampleRate = 44100;
    struct Edit {
        VstInt32 opcode, index;
        float value;
    };
    std::vector<Edit> edits;  // begin edit, automate and end edit, in order

    static inline SynthHost* current = nullptr;

    static VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
        SynthHost* h = current;
        switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterGetSampleRate: return h ? h->sampleRate : 0;
        case audioMasterGetTime:
            if (!h)
                return 0;
            ++h->timeQueries;
            return h->hasTime ? reinterpret_cast<VstIntPtr>(&h->time) : 0;
        case audioMasterAutomate:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            if (h)
                h->edits.push_back({opcode, index, opt});
            return 1;
        case audioMasterWantMidi:
            if (h && value == 1)
                ++h->wantMidi;
            return 1;
        default: return 0;
        }
    }

    SynthHost() { current = this; }
    ~SynthHost() { current = nullptr; }

    void setTime(bool playing, double ppq, double tempo) {
        hasTime = true;
        time = VstTimeInfo{};
        time.ppqPos = ppq;
        time.tempo = tempo;
        time.sampleRate = 44100;
        time.flags = kVstPpqPosValid | kVstTempoValid | (playing ? kVstTransportPlaying : 0);
    }
};

// One instance, owned by the test and closed through the dispatcher.
struct Instance {
    AEffect* effect = nullptr;
    SynthEffect* synth = nullptr;

    Instance() {
        AudioEffect* e = createEffectInstance(&SynthHost::callback);
        synth = static_cast<SynthEffect*>(e);
        effect = e->getAeffect();
    }
    ~Instance() {
        if (effect)
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void set(int index, float value) { effect->setParameter(effect, index, value); }
    float get(int index) { return effect->getParameter(effect, index); }

    template <typename Sample>
    std::vector<Sample> renderAs(int frames) {
        // Never an empty buffer: a block of 0 samples still gets a valid pointer.
        std::vector<Sample> out(static_cast<std::size_t>(frames) + 1, Sample(123));
        Sample* outs[1] = {out.data()};
        if constexpr (sizeof(Sample) == sizeof(float))
            effect->processReplacing(effect, nullptr, outs, frames);
        else
            effect->processDoubleReplacing(effect, nullptr, outs, frames);
        out.pop_back();
        return out;
    }
    std::vector<float> render(int frames) { return renderAs<float>(frames); }
    std::vector<double> renderDouble(int frames) { return renderAs<double>(frames); }
};

// An event list the host hands to effProcessEvents.
struct EventList {
    std::vector<VstMidiEvent> midi;
    std::vector<VstMidiSysexEvent> sysex;
    std::vector<VstEvent*> order;
    std::unique_ptr<unsigned char[]> block;

    void add(int delta, int status, int data1, int data2) {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof e;
        e.deltaFrames = delta;
        e.midiData[0] = static_cast<char>(status);
        e.midiData[1] = static_cast<char>(data1);
        e.midiData[2] = static_cast<char>(data2);
        midi.push_back(e);
    }
    void noteOn(int delta, int key, int velocity = 100, int channel = 0) { add(delta, 0x90 | channel, key, velocity); }
    void noteOff(int delta, int key, int channel = 0) { add(delta, 0x80 | channel, key, 0); }
    void sysexAt(int delta) {
        VstMidiSysexEvent e{};
        e.type = kVstSysExType;
        e.byteSize = sizeof e;
        e.deltaFrames = delta;
        sysex.push_back(e);
    }

    // The MIDI events in the order added, then the SysEx events.
    VstEvents* build() {
        order.clear();
        for (auto& e : midi)
            order.push_back(reinterpret_cast<VstEvent*>(&e));
        for (auto& e : sysex)
            order.push_back(reinterpret_cast<VstEvent*>(&e));
        const std::size_t bytes = sizeof(VstEvents) + order.size() * sizeof(VstEvent*);
        block = std::make_unique<unsigned char[]>(bytes);
        auto* list = reinterpret_cast<VstEvents*>(block.get());
        list->numEvents = static_cast<VstInt32>(order.size());
        list->reserved = 0;
        VstEvent** slots = list->events;  // the list really holds numEvents entries
        for (std::size_t i = 0; i < order.size(); ++i)
            slots[i] = order[i];
        return list;
    }
    void send(Instance& instance) { instance.dispatch(effProcessEvents, 0, 0, build()); }
};

}  // namespace kx::test
