#include "plugin/audio_effect.h"

#include <cmath>
#include "params/number_text.h"

#include <cstring>

namespace kx {

namespace {

// Texts handed to the host: the virtual operations write into a scratch
// buffer, and only the request's limit (characters plus terminator) reaches
// the host's memory.
constexpr int kScratchSize = 256;


}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams) {
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingClass;
    cEffect.processDoubleReplacing = processDoubleReplacingClass;
}

AudioEffect::~AudioEffect() = default;

AEffect* AudioEffect::getAeffect() {
    cEffect.version = getVendorVersion();
    return &cEffect;
}

AudioEffect* AudioEffect::fromAeffect(AEffect* effect) {
    if (!effect || effect->magic != kEffectMagic)
        return nullptr;
    return static_cast<AudioEffect*>(effect->object);
}

void AudioEffect::setEditor(std::unique_ptr<AEffEditor> newEditor) {
    editor = std::move(newEditor);
    setFlag(effFlagsHasEditor, editor != nullptr);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
    if (!audioMaster)
        return 0;
    return audioMaster(const_cast<AEffect*>(&cEffect), opcode, index, value, ptr, opt);
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char scratch[kScratchSize] = {};
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value < numPrograms)
            setProgram(static_cast<VstInt32>(value < -1 ? -1 : value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr) {
            copyText(scratch, static_cast<const char*>(ptr), kVstMaxProgNameLen);
            setProgramName(scratch);
        }
        return 0;
    case effGetProgramName:
        if (ptr) {
            getProgramName(scratch);
            copyText(static_cast<char*>(ptr), scratch, kVstMaxProgNameLen);
        }
        return 0;
    case effGetParamLabel:
        if (ptr) {
            getParameterLabel(index, scratch);
            copyText(static_cast<char*>(ptr), scratch, kVstMaxParamStrLen);
        }
        return 0;
    case effGetParamDisplay:
        if (ptr) {
            getParameterDisplay(index, scratch);
            copyText(static_cast<char*>(ptr), scratch, 32);
        }
        return 0;
    case effGetParamName:
        if (ptr) {
            getParameterName(index, scratch);
            copyText(static_cast<char*>(ptr), scratch, kVstMaxParamStrLen);
        }
        return 0;
    case effSetSampleRate:
        // A rate that is not a positive finite number would poison every
        // time constant of the engine: ignore it.
        if (std::isfinite(opt) && opt > 0.0f)
            setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        return editor && ptr ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        return editor ? editor->open(ptr) : 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        return kVstIdentifyAnswer;
    case effGetChunk:
        return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        if (!ptr || value <= 0 || value > 0x7FFFFFFF)
            return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}

VstIntPtr AudioEffect::dispatchEffClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                        float opt) {
    AudioEffect* effect = fromAeffect(e);
    if (!effect)
        return 0;
    VstIntPtr result = effect->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        delete effect;
        return 1;
    }
    return result;
}

void AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value) {
    if (AudioEffect* effect = fromAeffect(e))
        effect->setParameter(index, value);
}

float AudioEffect::getParameterClass(AEffect* e, VstInt32 index) {
    AudioEffect* effect = fromAeffect(e);
    return effect ? effect->getParameter(index) : 0.0f;
}

// The accumulating call of VST 1 is not offered: it leaves the outputs alone.
void AudioEffect::processClass(AEffect*, float**, float**, VstInt32) {}

namespace {

template <class T>
bool outputsUsable(T** outputs, VstInt32 count) {
    if (count <= 0)
        return true;
    if (!outputs)
        return false;
    for (VstInt32 i = 0; i < count; ++i)
        if (!outputs[i])
            return false;
    return true;
}

}  // namespace

void AudioEffect::processReplacingClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    // Without usable outputs the block still happens (time, events), only
    // unheard: the effect gets null outputs and writes nothing.
    if (AudioEffect* effect = fromAeffect(e))
        effect->processReplacing(inputs, outputsUsable(outputs, effect->cEffect.numOutputs) ? outputs : nullptr,
                                 sampleFrames);
}

void AudioEffect::processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs,
                                              VstInt32 sampleFrames) {
    if (AudioEffect* effect = fromAeffect(e))
        effect->processDoubleReplacing(inputs, outputsUsable(outputs, effect->cEffect.numOutputs) ? outputs : nullptr,
                                       sampleFrames);
}

}  // namespace kx
