// Drives the bundle's library as an LV2 host does (descriptor, ports, atom
// sequences, state), and the VST 2.4 library as a VST host does, so that
// the two formats can be compared on the same input.
#pragma once

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "lv2/atom/forge.h"
#include "lv2/core/lv2.h"
#include "lv2/midi/midi.h"
#include "lv2/state/state.h"
#include "lv2/time/time.h"
#include "lv2/urid/urid.h"
#include "plugin/vst_abi.h"

#include "formats/lv2/lv2_ports.h"
#include "formats/lv2/lv2_uris.h"
#include "instrument/synth_host.h"
#include "instrument/synth_param_index.h"

namespace kx::testing {

inline const std::string kBundleLibrary = std::string(KX_LV2_BUNDLE) + "/" KX_LV2_BINARY;

class UridMap {
public:
    UridMap() { feature_ = {this, &UridMap::mapUri}; }
    LV2_URID_Map* feature() { return &feature_; }
    LV2_URID operator()(const char* uri) { return mapUri(this, uri); }

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
        auto& uris = static_cast<UridMap*>(handle)->uris_;
        for (size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri)
                return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    std::vector<std::string> uris_;
    LV2_URID_Map feature_{};
};

// What a host keeps of a saved state: each key's bytes and type.
struct SavedState {
    struct Value {
        std::vector<unsigned char> bytes;
        uint32_t type;
    };
    std::map<uint32_t, Value> values;

    static LV2_State_Status store(LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type,
                                  uint32_t) {
        auto* bytes = static_cast<const unsigned char*>(value);
        static_cast<SavedState*>(h)->values[key] = {{bytes, bytes + size}, type};
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieve(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
        auto& values = static_cast<SavedState*>(h)->values;
        auto found = values.find(key);
        if (found == values.end())
            return nullptr;
        *size = found->second.bytes.size();
        *type = found->second.type;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return found->second.bytes.data();
    }
};

class Lv2Instance {
public:
    explicit Lv2Instance(double rate) {
        library_ = dlopen(kBundleLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library_)
            throw std::runtime_error(dlerror());
        auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(dlsym(library_, "lv2_descriptor"));
        descriptor_ = entry ? entry(0) : nullptr;
        if (!descriptor_)
            throw std::runtime_error("no lv2_descriptor");
        mapFeature_ = {LV2_URID__map, map.feature()};
        const LV2_Feature* features[] = {&mapFeature_, nullptr};
        handle_ = descriptor_->instantiate(descriptor_, rate, KX_LV2_BUNDLE, features);
        if (!handle_)
            throw std::runtime_error("instantiate failed");
        lv2_atom_forge_init(&forge_, map.feature());
        sequence_.resize(64 * 1024);
        descriptor_->connect_port(handle_, lv2::kEventsPort, sequence_.data());
        for (int i = 0; i < kSynthParamCount; ++i)
            descriptor_->connect_port(handle_, lv2::kFirstParamPort + i, &controls[i]);
        clearEvents();
    }
    ~Lv2Instance() {
        descriptor_->deactivate(handle_);
        descriptor_->cleanup(handle_);
        dlclose(library_);
    }
    void activate() { descriptor_->activate(handle_); }
    LV2_Handle handle() const { return handle_; }
    void* library() const { return library_; }
    const LV2_Descriptor* descriptor() const { return descriptor_; }

    void clearEvents() {
        lv2_atom_forge_set_buffer(&forge_, sequence_.data(), sequence_.size());
        lv2_atom_forge_sequence_head(&forge_, &frame_, 0);
    }
    void midi(int64_t frame, unsigned char b0, unsigned char b1, unsigned char b2) {
        const unsigned char bytes[3] = {b0, b1, b2};
        lv2_atom_forge_frame_time(&forge_, frame);
        lv2_atom_forge_atom(&forge_, 3, map(LV2_MIDI__MidiEvent));
        lv2_atom_forge_write(&forge_, bytes, 3);
    }
    void position(int64_t frame, double bpm, double beat, float speed) {
        lv2_atom_forge_frame_time(&forge_, frame);
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_object(&forge_, &object, 0, map(LV2_TIME__Position));
        lv2_atom_forge_key(&forge_, map(LV2_TIME__beatsPerMinute));
        lv2_atom_forge_double(&forge_, bpm);
        lv2_atom_forge_key(&forge_, map(LV2_TIME__beat));
        lv2_atom_forge_double(&forge_, beat);
        lv2_atom_forge_key(&forge_, map(LV2_TIME__speed));
        lv2_atom_forge_float(&forge_, speed);
        lv2_atom_forge_pop(&forge_, &object);
    }
    // Runs one block into `out` with the events given since the last run.
    void run(float* out, uint32_t frames) {
        descriptor_->connect_port(handle_, lv2::kOutputPort, out);
        descriptor_->run(handle_, frames);
        clearEvents();
    }
    const LV2_State_Interface* state() const {
        return static_cast<const LV2_State_Interface*>(descriptor_->extension_data(LV2_STATE__interface));
    }
    SavedState save() {
        SavedState saved;
        EXPECT_EQ(state()->save(handle_, SavedState::store, &saved, 0, nullptr), LV2_STATE_SUCCESS);
        return saved;
    }
    LV2_State_Status restore(SavedState& saved) {
        return state()->restore(handle_, SavedState::retrieve, &saved, 0, nullptr);
    }

    UridMap map;
    float controls[kSynthParamCount] = {};

private:
    void* library_ = nullptr;
    const LV2_Descriptor* descriptor_ = nullptr;
    LV2_Handle handle_ = nullptr;
    LV2_Feature mapFeature_{};
    std::vector<unsigned char> sequence_;
    LV2_Atom_Forge forge_{};
    LV2_Atom_Forge_Frame frame_{};
};

// The VST 2.4 library, as a host with a transport drives it.
class VstInstance {
public:
    explicit VstInstance(float rate) {
        library_ = dlopen(KX_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!library_)
            throw std::runtime_error(dlerror());
        auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library_, "VSTPluginMain"));
        effect = entry ? entry(&VstInstance::host) : nullptr;
        if (!effect)
            throw std::runtime_error("no effect");
        effect->user = this;
        time.sampleRate = rate;
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effSetBlockSize, 0, 4096);
    }
    ~VstInstance() {
        dispatch(effMainsChanged, 0, 0);
        dispatch(effClose);
        dlclose(library_);
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void midi(int frame, unsigned char b0, unsigned char b1, unsigned char b2) { pending_.add(frame, b0, b1, b2); }
    void run(float* out, int frames) {
        if (!pending_.midi.empty())
            dispatch(effProcessEvents, 0, 0, pending_.build());
        float* outputs[1] = {out};
        effect->processReplacing(effect, nullptr, outputs, frames);
        pending_ = {};
    }

    AEffect* effect = nullptr;
    VstTimeInfo time{};
    bool timeGiven = false;

private:
    static VstIntPtr host(AEffect* e, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
        auto* self = e ? static_cast<VstInstance*>(e->user) : nullptr;
        switch (opcode) {
        case audioMasterVersion: return kVstVersion;
        case audioMasterWantMidi: return 1;
        case audioMasterGetTime: return self && self->timeGiven ? reinterpret_cast<VstIntPtr>(&self->time) : 0;
        default: return 0;
        }
    }
    void* library_ = nullptr;
    kx::test::EventList pending_;
};

}  // namespace kx::testing
