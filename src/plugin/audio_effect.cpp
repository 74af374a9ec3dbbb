#include "plugin/audio_effect.h"

#include <cstring>

namespace kx {

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
    automate(index, value);
}

void AudioEffect::automate(VstInt32 index, float value) { callHost(audioMasterAutomate, index, 0, nullptr, value); }

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

// The outputs when all `count` of their channels are there to be written;
// null otherwise.
template <class T>
T** usableOutputs(T** outputs, VstInt32 count) {
    if (count <= 0)
        return outputs;
    if (!outputs)
        return nullptr;
    for (VstInt32 i = 0; i < count; ++i)
        if (!outputs[i])
            return nullptr;
    return outputs;
}

}  // namespace

// Without usable outputs the block still happens (time, events), only
// unheard: the effect gets null outputs and writes nothing.
void AudioEffect::processReplacingClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (AudioEffect* effect = fromAeffect(e))
        effect->processReplacing(inputs, usableOutputs(outputs, effect->cEffect.numOutputs), sampleFrames);
}

void AudioEffect::processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs, VstInt32 sampleFrames) {
    if (AudioEffect* effect = fromAeffect(e))
        effect->processDoubleReplacing(inputs, usableOutputs(outputs, effect->cEffect.numOutputs), sampleFrames);
}

}  // namespace kx
