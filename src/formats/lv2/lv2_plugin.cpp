// The LV2 plug-in: instantiate, ports, activation and run, mapped onto the
// effect's VST 2.4 record. MIDI reaches the effect as VST events with their
// frames (its own queue plays them sample-accurately); a time:Position in
// the middle of a run splits the run there, so that the LFO follows the
// position from that frame on, as it would in a VST host's next block.
#include "formats/lv2/lv2_plugin.h"
#include "formats/lv2/lv2_instance.h"
#include "formats/lv2/lv2_ports.h"
#include "formats/lv2/lv2_uris.h"
#include "plugin/effect.h"

#include "lv2/atom/util.h"
#include "lv2/buf-size/buf-size.h"
#include "lv2/midi/midi.h"
#include "lv2/options/options.h"
#include "lv2/state/state.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kx::lv2 {

namespace {

constexpr int kBlockBound = 4096;  // the block size told to the effect when the host tells none

VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    (void)value;
    (void)ptr;
    Instance* instance = instanceOf(effect);
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    case audioMasterWantMidi: return 1;
    case audioMasterGetSampleRate: return instance ? static_cast<VstIntPtr>(instance->sampleRate) : 0;
    case audioMasterGetBlockSize: return instance ? instance->maxBlock : 0;
    case audioMasterGetTime: return instance ? reinterpret_cast<VstIntPtr>(instance->time.info()) : 0;
    case audioMasterAutomate:
        if (instance && instance->ui && instance->ui->changed)
            instance->ui->changed(instance->ui, index, opt);
        return 1;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        if (instance && instance->ui && instance->ui->gesture)
            instance->ui->gesture(instance->ui, index, opcode == audioMasterBeginEdit);
        return 1;
    case audioMasterSizeWindow:
        if (instance && instance->ui && instance->ui->resized) {
            instance->ui->resized(instance->ui, index, static_cast<int>(value));
            return 1;
        }
        return 0;
    default: return 0;
    }
}

VstIntPtr dispatch(Instance& instance, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
    return instance.effect->dispatcher(instance.effect, opcode, index, value, ptr, opt);
}

LV2_URID mapUri(LV2_URID_Map* map, const char* uri) { return map->map(map->handle, uri); }

// The largest block the host promises, from its options; 0 when it tells none.
int blockFromOptions(const LV2_Options_Option* options, LV2_URID_Map* map) {
    if (!options)
        return 0;
    const LV2_URID maxLength = mapUri(map, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID nominal = mapUri(map, LV2_BUF_SIZE__nominalBlockLength);
    const LV2_URID atomInt = mapUri(map, LV2_ATOM__Int);
    int found = 0;
    for (const LV2_Options_Option* o = options; o->key; ++o)
        if ((o->key == maxLength || (o->key == nominal && !found)) && o->type == atomInt && o->size == sizeof(int32_t))
            found = *static_cast<const int32_t*>(o->value);
    return found > 0 ? found : 0;
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    for (int i = 0; features && features[i]; ++i) {
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0)
            map = static_cast<LV2_URID_Map*>(features[i]->data);
        else if (std::strcmp(features[i]->URI, LV2_OPTIONS__options) == 0)
            options = static_cast<const LV2_Options_Option*>(features[i]->data);
    }
    if (!map || !(rate > 0.0) || !std::isfinite(rate))
        return nullptr;
    try {
        auto instance = std::make_unique<Instance>();
        instance->sampleRate = rate;
        const int block = blockFromOptions(options, map);
        instance->maxBlock = block > 0 ? block : kBlockBound;
        Instance::Uris& u = instance->uris;
        u.midiEvent = mapUri(map, LV2_MIDI__MidiEvent);
        u.atomObject = mapUri(map, LV2_ATOM__Object);
        u.atomBlank = mapUri(map, LV2_ATOM__Blank);
        u.atomChunk = mapUri(map, LV2_ATOM__Chunk);
        u.atomInt = mapUri(map, LV2_ATOM__Int);
        u.stateBank = mapUri(map, KX_LV2_STATE_BANK);
        u.stateProgram = mapUri(map, KX_LV2_STATE_PROGRAM);
        instance->time.map(map);
        instance->time.setSampleRate(rate);
        instance->eventList.reset(new unsigned char[sizeof(VstEvents) + Instance::kMaxEvents * sizeof(VstEvent*)]());
        instance->midi.reset(new VstMidiEvent[Instance::kMaxEvents]());

        AudioEffect* created = createEffectInstance(hostCallback);
        if (!created)
            return nullptr;
        instance->effect = created->getAeffect();
        instance->object = dynamic_cast<KEffect*>(created);
        instance->effect->user = instance.get();
        dispatch(*instance, effOpen);
        dispatch(*instance, effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        dispatch(*instance, effSetBlockSize, 0, instance->maxBlock);
        for (int i = 0; i < kSynthParamCount; ++i)
            instance->lastSeen[i] = NAN;
        return instance.release();
    } catch (...) {
        return nullptr;  // nothing may escape into the host
    }
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    auto* instance = static_cast<Instance*>(handle);
    if (port == kEventsPort)
        instance->events = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port == kOutputPort)
        instance->output = static_cast<float*>(data);
    else if (port >= kFirstParamPort && port < kFirstParamPort + kSynthParamCount)
        instance->controls[port - kFirstParamPort] = static_cast<const float*>(data);
}

void activate(LV2_Handle handle) { dispatch(*static_cast<Instance*>(handle), effMainsChanged, 0, 1); }

void deactivate(LV2_Handle handle) { dispatch(*static_cast<Instance*>(handle), effMainsChanged, 0, 0); }

// A control port's value goes to the effect when the host changed it, and
// only when it stands for another value than the effect holds: a port that
// still shows what a restored state or the editor set changes nothing.
void applyControls(Instance& instance) {
    for (int i = 0; i < kSynthParamCount; ++i) {
        const float* port = instance.controls[i];
        if (!port)
            continue;
        const float value = *port;
        if (value == instance.lastSeen[i] || !std::isfinite(value))
            continue;
        instance.lastSeen[i] = value;
        const KParam* param = instance.object ? instance.object->getParam(i) : nullptr;
        if (!param)
            continue;
        const float stored = instance.effect->getParameter(instance.effect, i);
        if (static_cast<float>(toPortValue(*param, stored)) == value)
            continue;
        instance.effect->setParameter(instance.effect, i, static_cast<float>(fromPortValue(*param, value)));
    }
}

// Renders frames [from, to) of the run with the MIDI gathered for them.
void renderStretch(Instance& instance, int count, int from, int to) {
    if (count > 0) {
        auto* list = reinterpret_cast<VstEvents*>(instance.eventList.get());
        list->numEvents = count;
        dispatch(instance, effProcessEvents, 0, 0, list);
    }
    if (to > from) {
        float* outputs[1] = {instance.output ? instance.output + from : nullptr};
        instance.effect->processReplacing(instance.effect, nullptr, instance.output ? outputs : nullptr, to - from);
        instance.time.advance(to - from);
    }
}

void run(LV2_Handle handle, uint32_t sampleCount) {
    auto& instance = *static_cast<Instance*>(handle);
    applyControls(instance);
    const int frames = static_cast<int>(std::min<uint32_t>(sampleCount, INT32_MAX));
    auto* list = reinterpret_cast<VstEvents*>(instance.eventList.get());
    int start = 0, count = 0;
    if (instance.events) {
        LV2_ATOM_SEQUENCE_FOREACH(instance.events, event) {
            // Frames out of order or beyond the run are held to its bounds.
            const int frame = static_cast<int>(std::clamp<int64_t>(event->time.frames, start, frames));
            const LV2_Atom& body = event->body;
            if (body.type == instance.uris.midiEvent) {
                const auto* bytes = reinterpret_cast<const unsigned char*>(&body + 1);
                if (body.size == 0 || body.size > 3 || (bytes[0] & 0x80) == 0 || bytes[0] >= 0xF0 ||
                    count == Instance::kMaxEvents)
                    continue;
                VstMidiEvent& midi = instance.midi[count];
                midi = VstMidiEvent{};
                midi.type = kVstMidiType;
                midi.byteSize = sizeof(VstMidiEvent);
                midi.deltaFrames = frame - start;
                std::memcpy(midi.midiData, bytes, body.size);
                list->events[count++] = reinterpret_cast<VstEvent*>(&midi);
            } else if (body.type == instance.uris.atomObject || body.type == instance.uris.atomBlank) {
                const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&body);
                if (frame > start) {
                    renderStretch(instance, count, start, frame);
                    start = frame;
                    count = 0;
                }
                instance.time.read(object);
            }
        }
    }
    renderStretch(instance, count, start, frames);
}

void cleanup(LV2_Handle handle) {
    auto* instance = static_cast<Instance*>(handle);
    if (instance->effect) {
        dispatch(*instance, effClose);  // the effect deletes itself
        instance->effect = nullptr;
    }
    delete instance;
}

// ---- State: the chunk a VST 2.4 host stores (the whole bank), and the program

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*) {
    auto& instance = *static_cast<Instance*>(handle);
    void* data = nullptr;
    const VstIntPtr size = dispatch(instance, effGetChunk, 0, 0, &data);
    if (size <= 0 || !data)
        return LV2_STATE_ERR_UNKNOWN;
    const uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    LV2_State_Status status =
        store(state, instance.uris.stateBank, data, static_cast<size_t>(size), instance.uris.atomChunk, flags);
    if (status != LV2_STATE_SUCCESS)
        return status;
    const int32_t program = static_cast<int32_t>(dispatch(instance, effGetProgram));
    return store(state, instance.uris.stateProgram, &program, sizeof program, instance.uris.atomInt, flags);
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state, uint32_t,
                         const LV2_Feature* const*) {
    auto& instance = *static_cast<Instance*>(handle);
    size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* data = retrieve(state, instance.uris.stateBank, &size, &type, &flags);
    if (!data || type != instance.uris.atomChunk || size > INT32_MAX)
        return LV2_STATE_ERR_NO_PROPERTY;
    // The effect refuses a chunk too short to be its bank (0), and takes it
    // from a copy: the host's bytes need not be aligned or writable.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size]);
    std::memcpy(copy.get(), data, size);
    if (dispatch(instance, effSetChunk, 0, static_cast<VstIntPtr>(size), copy.get()) == 0)
        return LV2_STATE_ERR_BAD_TYPE;
    const void* program = retrieve(state, instance.uris.stateProgram, &size, &type, &flags);
    if (program && type == instance.uris.atomInt && size == sizeof(int32_t)) {
        int32_t number = 0;
        std::memcpy(&number, program, sizeof number);
        if (number >= 0 && number < instance.effect->numPrograms)
            dispatch(instance, effSetProgram, 0, number);
    }
    return LV2_STATE_SUCCESS;
}

const void* extensionData(const char* uri) {
    static const LV2_State_Interface state = {save, restore};
    if (std::strcmp(uri, LV2_STATE__interface) == 0)
        return &state;
    return nullptr;
}

}  // namespace

const LV2_Descriptor* pluginDescriptor() {
    static const LV2_Descriptor descriptor = {KX_LV2_URI, instantiate, connectPort, activate,
                                              run,        deactivate,  cleanup,     extensionData};
    return &descriptor;
}

}  // namespace kx::lv2
