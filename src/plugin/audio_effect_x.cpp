#include "plugin/audio_effect_x.h"

#include <cstring>

namespace kx {

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
    // The record holds speakers for 8 channels; a host may claim more.
    constexpr int kMaxChannels = static_cast<int>(sizeof to.speakers / sizeof to.speakers[0]);
    int channels = from.numChannels < 0 ? 0 : from.numChannels > kMaxChannels ? kMaxChannels : from.numChannels;
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
