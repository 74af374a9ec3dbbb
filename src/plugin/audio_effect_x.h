// AudioEffectX: the VST 2.x operations on top of AudioEffect, the dispatcher
// that answers every host request (dispatcher.cpp), and the host callback
// wrappers the framework uses.
#pragma once

#include "plugin/audio_effect.h"

namespace kx {

class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    // One request from the host, any thread the host chooses; checks every
    // pointer and size it uses before calling an operation.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // Audio thread, before the processing call of the block; 1 when taken.
    virtual VstInt32 processEvents(VstEvents* events) {
        (void)events;
        return 0;
    }
    virtual bool canParameterBeAutomated(VstInt32 index) {
        (void)index;
        return false;
    }
    // A null `text` only asks whether the parameter takes typed values.
    virtual bool string2parameter(VstInt32 index, const char* text) {
        (void)index;
        (void)text;
        return false;
    }
    // `text` is a zeroed buffer of kTextScratchSize bytes.
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
        (void)category;
        (void)index;
        (void)text;
        return false;
    }
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties) {
        (void)index;
        (void)properties;
        return false;
    }
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties) {
        (void)index;
        (void)properties;
        return false;
    }
    virtual VstPlugCategory getPlugCategory() { return kPlugCategUnknown; }
    // Both arrangements are non-null.
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* inputs, VstSpeakerArrangement* outputs) {
        (void)inputs;
        (void)outputs;
        return false;
    }
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** inputs, VstSpeakerArrangement** outputs) {
        *inputs = *outputs = nullptr;
        return false;
    }
    virtual bool setBypass(bool onOff) {
        (void)onOff;
        return false;
    }
    // Each receives a zeroed buffer of kTextScratchSize bytes; the dispatcher
    // passes at most the request's limit on to the host.
    virtual bool getEffectName(char* name) {
        (void)name;
        return false;
    }
    virtual bool getVendorString(char* text) {
        (void)text;
        return false;
    }
    virtual bool getProductString(char* text) {
        (void)text;
        return false;
    }
    // 1 yes, -1 no, 0 don't know. `text` is not null.
    virtual VstInt32 canDo(const char* text) {
        (void)text;
        return 0;
    }
    virtual VstInt32 getVstVersion() { return kVstVersion; }

    // Host callback wrappers. getTimeInfo is for the audio thread; null when
    // the host gives no time.
    VstTimeInfo* getTimeInfo(VstInt32 filter);
    bool beginEdit(VstInt32 index);
    bool endEdit(VstInt32 index);
    bool wantEvents(VstInt32 filter = 1);
    // Asks the host; a positive answer becomes the sample rate.
    float updateSampleRate();
    // Copies type, channel count and speakers of `from`, as many as the
    // record holds.
    static bool matchArrangement(VstSpeakerArrangement& to, const VstSpeakerArrangement& from);
    // The host writes into `text`, emptied here first. Give it
    // kTextScratchSize bytes: some hosts write past the nominal 64.
    bool getHostVendorString(char* text);
    bool getHostProductString(char* text);
};

}  // namespace kx
