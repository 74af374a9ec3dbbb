// Drives the instrument with arbitrary host traffic: MIDI event lists with
// any bytes and offsets, parameter values (outside 0..1 and not numbers
// included), sample rates, block sizes and time information. The output must
// stay a finite number and nothing may read or write outside its buffers.
//
// Built for millions of runs: the instrument is made without its editor's
// skin (the skin target covers that), and an input renders at most
// kFrameBudget frames in all. Long times are still reached through low
// sample rates.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/random.h"
#include "instrument/synth_effect.h"
#include "plugin/vst_abi.h"

namespace {

constexpr VstInt32 kFrameBudget = 8192;

VstTimeInfo gTime{};
bool gHasTime = false;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime)
        return gHasTime ? reinterpret_cast<VstIntPtr>(&gTime) : 0;
    return 0;
}

// Reads values off the front of the input; zeros once it runs out.
struct Reader {
    const std::uint8_t* data;
    std::size_t size;

    bool empty() const { return size == 0; }
    template <typename T>
    T take() {
        T value{};
        const std::size_t n = size < sizeof value ? size : sizeof value;
        std::memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
};

// The process-wide generator would carry over from earlier inputs, so that a
// found input does not fail again on its own: each input starts it from a
// state of its own bytes (nonzero, below each half's modulus).
void seedGeneratorFrom(const std::uint8_t* data, std::size_t size) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 1099511628211ull;
    const auto z = static_cast<std::uint32_t>(1 + (h & 0xffffffffu) % 0x9068fffeu);
    const auto w = static_cast<std::uint32_t>(1 + (h >> 32) % 0x464ffffeu);
    kx::Random::setState(z, w);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in{data, size};
    seedGeneratorFrom(data, size);
    gHasTime = false;
    kx::AudioEffect* instance = new kx::SynthEffect(&hostCallback);
    AEffect* effect = instance->getAeffect();
    std::vector<double> outDouble(1024);
    std::vector<float> outFloat(1024);
    VstInt32 budget = kFrameBudget;

    while (!in.empty()) {
        switch (in.take<std::uint8_t>() % 6) {
        case 0: {  // an event list
            const int count = in.take<std::uint8_t>() % 40;
            std::vector<VstMidiEvent> midi(static_cast<std::size_t>(count));
            std::vector<VstEvent*> pointers;
            for (VstMidiEvent& e : midi) {
                e.type = in.take<std::uint8_t>() % 8 == 0 ? kVstSysExType : kVstMidiType;
                e.byteSize = sizeof e;
                e.deltaFrames = in.take<std::uint8_t>() % 4 == 0 ? in.take<std::int32_t>() : in.take<std::uint8_t>();
                const auto bytes = in.take<std::uint32_t>();
                std::memcpy(e.midiData, &bytes, sizeof e.midiData);
                pointers.push_back(reinterpret_cast<VstEvent*>(&e));
            }
            std::vector<unsigned char> block(sizeof(VstEvents) + pointers.size() * sizeof(VstEvent*));
            auto* list = reinterpret_cast<VstEvents*>(block.data());
            list->numEvents = count;
            VstEvent** slots = list->events;
            for (std::size_t i = 0; i < pointers.size(); ++i)
                slots[i] = pointers[i];
            effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
            break;
        }
        case 1: {  // a block of audio
            const bool dbl = in.take<std::uint8_t>() & 1;
            const VstInt32 frames = std::min<VstInt32>(in.take<std::uint16_t>() % 1025, budget);
            budget -= frames;
            if (dbl) {
                double* outs[1] = {outDouble.data()};
                effect->processDoubleReplacing(effect, nullptr, outs, frames);
                for (VstInt32 i = 0; i < frames; ++i)
                    if (!std::isfinite(outDouble[static_cast<std::size_t>(i)]))
                        std::abort();
            } else {
                float* outs[1] = {outFloat.data()};
                effect->processReplacing(effect, nullptr, outs, frames);
                for (VstInt32 i = 0; i < frames; ++i)
                    if (!std::isfinite(outFloat[static_cast<std::size_t>(i)]))
                        std::abort();
            }
            break;
        }
        case 2:  // a parameter, any float
            effect->setParameter(effect, in.take<std::uint8_t>() % 32, in.take<float>());
            break;
        case 3:  // a sample rate, any float
            effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, in.take<float>());
            break;
        case 4:  // time information, any values
            gHasTime = in.take<std::uint8_t>() & 1;
            gTime.ppqPos = in.take<double>();
            gTime.tempo = in.take<double>();
            gTime.flags = in.take<VstInt32>();
            break;
        case 5:  // suspend/resume or a patch command
            if (in.take<std::uint8_t>() & 1)
                effect->dispatcher(effect, effMainsChanged, 0, in.take<std::uint8_t>() & 1, nullptr, 0.0f);
            else
                static_cast<kx::SynthEffect*>(instance)->executeCommand(in.take<std::uint8_t>() % 5, true, false);
            break;
        }
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
