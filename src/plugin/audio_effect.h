// AudioEffect: the VST 2.4 interface layer's first half. It owns the AEffect
// record the host holds, passes the host's calls on it to virtual operations,
// and wraps the host callback. AudioEffectX (audio_effect_x.h) adds the 2.x
// operations and answers every dispatcher request (dispatcher.cpp).
//
// Threads, as VST 2.4 defines them: processing and processEvents come on the
// host's audio thread, editor requests on its user-interface thread, and
// parameter calls from either; the layer itself takes no lock.
#pragma once

#include "plugin/aeff_editor.h"
#include "plugin/vst_abi.h"

#include <memory>

namespace kx {

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // The record handed to the host; writes `version` from getVendorVersion first.
    AEffect* getAeffect();
    // The effect behind a record this layer made; null for anything else.
    static AudioEffect* fromAeffect(AEffect* effect);

    // Answers one dispatcher request; AudioEffectX holds the one switch.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) = 0;

    virtual void open() {}
    virtual void close() {}
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgramName(const char* name) { (void)name; }
    // The text operations below write into a zeroed buffer of kTextScratchSize
    // bytes (text_limits.h); the dispatcher cuts the text to the request's limit.
    virtual void getProgramName(char* name) { name[0] = '\0'; }
    virtual void getParameterLabel(VstInt32 index, char* label) {
        (void)index;
        label[0] = '\0';
    }
    virtual void getParameterDisplay(VstInt32 index, char* text) {
        (void)index;
        text[0] = '\0';
    }
    virtual void getParameterName(VstInt32 index, char* text) {
        (void)index;
        text[0] = '\0';
    }
    virtual void setParameter(VstInt32 index, float value) {
        (void)index;
        (void)value;
    }
    virtual float getParameter(VstInt32 index) {
        (void)index;
        return 0.0f;
    }
    // setParameter, then tells the host the value changed.
    virtual void setParameterAutomated(VstInt32 index, float value);
    // Tells the host that the parameter now holds `value`, without setting it.
    void automate(VstInt32 index, float value);
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }
    virtual void suspend() {}
    virtual void resume() {}
    // The byte count; *data points into memory the effect keeps.
    virtual VstInt32 getChunk(void** data, bool isPreset) {
        (void)data;
        (void)isPreset;
        return 0;
    }
    // The bytes taken from `data` (byteSize of them readable), 0 when refused.
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) {
        (void)data;
        (void)byteSize;
        (void)isPreset;
        return 0;
    }
    virtual VstInt32 getVendorVersion() { return 0; }

    // Audio thread. `outputs` holds numOutputs non-null channels, or is null
    // when the host gave none usable: the block then keeps time and events
    // and writes nothing.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
        (void)inputs;
        (void)outputs;
        (void)sampleFrames;
    }
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
        (void)inputs;
        (void)outputs;
        (void)sampleFrames;
    }

    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setNumInputs(VstInt32 n) { cEffect.numInputs = n; }
    void setNumOutputs(VstInt32 n) { cEffect.numOutputs = n; }
    void setFlag(VstInt32 flag, bool on) { cEffect.flags = on ? (cEffect.flags | flag) : (cEffect.flags & ~flag); }
    void isSynth(bool on = true) { setFlag(effFlagsIsSynth, on); }
    void canProcessReplacing(bool on = true) { setFlag(effFlagsCanReplacing, on); }
    void canDoubleReplacing(bool on = true) { setFlag(effFlagsCanDoubleReplacing, on); }
    bool hasFlag(VstInt32 flag) const { return (cEffect.flags & flag) != 0; }

    // Takes ownership of the editor and sets or clears effFlagsHasEditor.
    void setEditor(std::unique_ptr<AEffEditor> newEditor);
    AEffEditor* getEditor() const { return editor.get(); }

    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }
    VstInt32 getNumPrograms() const { return numPrograms; }
    VstInt32 getNumParams() const { return numParams; }

    // The host callback; 0 when there is none.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;

protected:
    audioMasterCallback audioMaster;
    AEffect cEffect;
    std::unique_ptr<AEffEditor> editor;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;

private:
    static VstIntPtr dispatchEffClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                      float opt);
    static void setParameterClass(AEffect* e, VstInt32 index, float value);
    static float getParameterClass(AEffect* e, VstInt32 index);
    static void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void processReplacingClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs, VstInt32 sampleFrames);
};

}  // namespace kx
