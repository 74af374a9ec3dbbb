// One LV2 instance: the effect the VST 2.4 entry would create, driven
// through its record (dispatcher, setParameter, processReplacing) exactly as
// a VST host drives it, with what LV2 hands over translated on the way.
#pragma once

#include "formats/lv2/host_time.h"
#include "instrument/synth_param_index.h"
#include "plugin/vst_abi.h"

#include "lv2/core/lv2.h"
#include "lv2/urid/urid.h"

#include <cstdint>
#include <memory>

namespace kx {
class KEffect;
}

namespace kx::lv2 {

// The UI's side of an instance, set while a UI is open (user-interface
// thread only): where the editor's own changes go.
struct UiLink {
    void (*changed)(UiLink* link, int index, float normalised) = nullptr;
    void (*gesture)(UiLink* link, int index, bool begins) = nullptr;
    void (*resized)(UiLink* link, int width, int height) = nullptr;
};

struct Instance {
    static constexpr int kMaxEvents = 512;  // as many as the effect's queue takes

    AEffect* effect = nullptr;
    KEffect* object = nullptr;  // the same effect, for the UI's window
    double sampleRate = 44100.0;
    int maxBlock = 4096;

    struct Uris {
        LV2_URID midiEvent = 0, atomObject = 0, atomBlank = 0, atomChunk = 0, atomInt = 0;
        LV2_URID stateBank = 0, stateProgram = 0;
    } uris;
    HostTime time;

    const LV2_Atom_Sequence* events = nullptr;
    float* output = nullptr;
    const float* controls[kSynthParamCount] = {};
    float lastSeen[kSynthParamCount] = {};

    // The block's MIDI in VST form: a VstEvents record with room for
    // kMaxEvents pointers, and the events they point at.
    std::unique_ptr<unsigned char[]> eventList;
    std::unique_ptr<VstMidiEvent[]> midi;

    UiLink* ui = nullptr;
};

// The instance whose effect this record is; null before it is known.
inline Instance* instanceOf(AEffect* effect) { return effect ? static_cast<Instance*>(effect->user) : nullptr; }

}  // namespace kx::lv2
