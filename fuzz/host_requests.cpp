// Host input to the instrument: chunks of any size and content, typed
// parameter text, MIDI event lists and out-of-range indices, all through
// the dispatcher as a host would send them.
#include "instrument/synth_effect.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

VstIntPtr fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static kx::SynthEffect* effect = new kx::SynthEffect(fuzzHost);
    AEffect* e = effect->getAeffect();
    if (size < 6)
        return 0;
    const uint8_t mode = data[0];
    const int32_t index = static_cast<int8_t>(data[1]);
    data += 2;
    size -= 2;
    std::vector<uint8_t> copy(data, data + size);  // exactly `size` readable bytes
    char text[300];
    switch (mode % 5) {
    case 0: e->dispatcher(e, effSetChunk, mode & 0x80 ? 1 : 0, static_cast<VstIntPtr>(size), copy.data(), 0.0f); break;
    case 1: {
        copy.push_back(0);
        e->dispatcher(e, effString2Parameter, index, 0, copy.data(), 0.0f);
        break;
    }
    case 2: {
        // Events built from the bytes: 32 per event, types taken as given.
        size_t count = size / sizeof(VstMidiEvent);
        std::vector<VstMidiEvent> events(count);
        if (count)
            std::memcpy(events.data(), copy.data(), count * sizeof(VstMidiEvent));
        std::vector<uint8_t> list(16 + 8 * (count < 2 ? 2 : count));
        auto* header = reinterpret_cast<VstEvents*>(list.data());
        header->numEvents = static_cast<VstInt32>(count);
        for (size_t i = 0; i < count; ++i) {
            VstEvent* p = reinterpret_cast<VstEvent*>(&events[i]);
            std::memcpy(list.data() + 16 + 8 * i, &p, sizeof p);
        }
        e->dispatcher(e, effProcessEvents, 0, 0, header, 0.0f);
        float out[64];
        float* outputs[] = {out};
        e->processReplacing(e, nullptr, outputs, 64);
        break;
    }
    case 3: {
        float value;
        std::memcpy(&value, copy.data(), sizeof value);
        e->setParameter(e, index, value);
        e->dispatcher(e, effSetProgram, 0, index, nullptr, 0.0f);
        break;
    }
    case 4:
        copy.push_back(0);
        e->dispatcher(e, effSetProgramName, 0, 0, copy.data(), 0.0f);
        e->dispatcher(e, effCanDo, 0, 0, copy.data(), 0.0f);
        break;
    }
    for (int i = -1; i <= 30; ++i) {
        e->dispatcher(e, effGetParamDisplay, i, 0, text, 0.0f);
        e->dispatcher(e, effGetProgramNameIndexed, i, 0, text, 0.0f);
    }
    copy.push_back(0);
    effect->expandVariables(text, sizeof text, reinterpret_cast<const char*>(copy.data()));
    return 0;
}
