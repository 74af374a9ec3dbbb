#include "plugin/audio_effect_x.h"

#include "params/number_text.h"

#include <cstring>

namespace kx {

namespace {

constexpr int kScratchSize = 256;


// Text answers: true with at most `maxChars` characters written, else false
// with the empty text.
template <class Get>
VstIntPtr answerText(void* ptr, int maxChars, Get get) {
    if (!ptr)
        return 0;
    char scratch[kScratchSize] = {};
    if (!get(scratch)) {
        static_cast<char*>(ptr)[0] = '\0';
        return 0;
    }
    scratch[kScratchSize - 1] = '\0';
    copyText(static_cast<char*>(ptr), scratch, maxChars);
    return 1;
}

}  // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return canParameterBeAutomated(index);
    case effString2Parameter:
        // A null text asks whether typed values are supported at all.
        return string2parameter(index, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed:
        return answerText(ptr, kVstMaxProgNameLen,
                          [&](char* t) { return getProgramNameIndexed(static_cast<VstInt32>(value), index, t); });
    case effGetInputProperties:
        return ptr ? getInputProperties(index, static_cast<VstPinProperties*>(ptr)) : 0;
    case effGetOutputProperties:
        return ptr ? getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effSetSpeakerArrangement: {
        auto* inputs = reinterpret_cast<VstSpeakerArrangement*>(value);
        auto* outputs = static_cast<VstSpeakerArrangement*>(ptr);
        return inputs && outputs ? setSpeakerArrangement(inputs, outputs) : 0;
    }
    case effGetSpeakerArrangement: {
        auto** inputs = reinterpret_cast<VstSpeakerArrangement**>(value);
        auto** outputs = static_cast<VstSpeakerArrangement**>(ptr);
        if (!inputs || !outputs)
            return 0;
        return getSpeakerArrangement(inputs, outputs);
    }
    case effSetBypass:
        return setBypass(value != 0);
    case effGetEffectName:
        return answerText(ptr, kVstMaxEffectNameLen - 1, [&](char* t) { return getEffectName(t); });
    case effGetVendorString:
        return answerText(ptr, kVstMaxVendorStrLen - 1, [&](char* t) { return getVendorString(t); });
    case effGetProductString:
        return answerText(ptr, kVstMaxProductStrLen - 1, [&](char* t) { return getProductString(t); });
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return ptr ? canDo(static_cast<const char*>(ptr)) : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (!editor)
            return 0;
        VstKeyCode key = {};
        key.character = index;
        key.virt = static_cast<unsigned char>(value);
        // The modifiers arrive as a float; one outside a byte (or not a
        // number) cannot be converted and means no modifier.
        key.modifier = opt >= 0.0f && opt < 256.0f ? static_cast<unsigned char>(opt) : 0;
        return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
    }
    case effSetEditKnobMode:
        return editor ? editor->setKnobMode(static_cast<VstInt32>(value)) : 0;
    case effSetTotalSampleToProcess:
        return value;
    // Requests this layer answers with 0 / false: offline processing,
    // variable I/O, vendor-specific, tail size, parameter properties, MIDI
    // program names, program-change brackets, start/stop, pan law, patch
    // loading, process precision, MIDI channel counts, shell plug-ins.
    case effOfflineNotify:
    case effOfflinePrepare:
    case effOfflineRun:
    case effProcessVarIo:
    case effVendorSpecific:
    case effGetTailSize:
    case effGetParameterProperties:
    case effGetMidiProgramName:
    case effGetCurrentMidiProgram:
    case effGetMidiProgramCategory:
    case effHasMidiProgramsChanged:
    case effGetMidiKeyName:
    case effBeginSetProgram:
    case effEndSetProgram:
    case effShellGetNextPlugin:
    case effStartProcess:
    case effStopProcess:
    case effSetPanLaw:
    case effBeginLoadBank:
    case effBeginLoadProgram:
    case effSetProcessPrecision:
    case effGetNumMidiInputChannels:
    case effGetNumMidiOutputChannels:
        return 0;
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }

bool AudioEffectX::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }

bool AudioEffectX::wantEvents(VstInt32 filter) { return callHost(audioMasterWantMidi, 0, filter) != 0; }

float AudioEffectX::updateSampleRate() {
    VstIntPtr rate = callHost(audioMasterGetSampleRate);
    if (rate > 0)
        sampleRate = static_cast<float>(rate);
    return sampleRate;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement& to, const VstSpeakerArrangement& from) {
    if (&to == &from)
        return true;
    int channels = from.numChannels < 0 ? 0 : from.numChannels > 8 ? 8 : from.numChannels;
    to.type = from.type;
    to.numChannels = channels;
    std::memset(to.speakers, 0, sizeof to.speakers);
    std::memcpy(to.speakers, from.speakers, sizeof(VstSpeakerProperties) * static_cast<size_t>(channels));
    return true;
}

bool AudioEffectX::getHostVendorString(char* text) {
    if (!text)
        return false;
    text[0] = '\0';
    return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) {
    if (!text)
        return false;
    text[0] = '\0';
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

}  // namespace kx
