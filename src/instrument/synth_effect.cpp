#include "instrument/synth_effect.h"

#include "editor/load_skin.h"
#include "instrument/platform_name.h"
#include "params/number_text.h"

#include <cstring>
#include <memory>

namespace kx {

SynthEffect::SynthEffect(audioMasterCallback audioMaster) : KEffect(audioMaster, kSynthProgramCount, kSynthParamCount) {
    setUniqueID(kSynthUniqueId);
    isSynth();
    canProcessReplacing();
    canDoubleReplacing();
    createParameters();
    buildBank();
    loadPresets("Kelvox2Preset.txt");
    createCommands();
    updateSampleRate();
    setSampleRate(getSampleRate());
}

SynthEffect::~SynthEffect() = default;

const char* SynthEffect::getPlatform() { return platformName(); }

void SynthEffect::setSampleRate(float rate) {
    KEffect::setSampleRate(rate);
    queue_.eventTarget = this;
    queue_.allocate();
    queue_.clear();
    engineSampleRateChanged(static_cast<double>(rate));
    resetEngine();
}

VstInt32 SynthEffect::processEvents(VstEvents* events) {
    queue_.fill(events);
    return 1;
}

bool SynthEffect::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (index != 0)
        return false;
    std::memset(properties, 0, sizeof *properties);
    copyText(properties->label, "Elvox2", kVstMaxLabelLen - 1);
    properties->flags = kVstPinIsActive;
    return true;
}

VstInt32 SynthEffect::canDo(const char* text) {
    struct Answer {
        const char* text;
        VstInt32 answer;
    };
    static const Answer kAnswers[] = {
        {"sendVstEvents", -1},
        {"sendVstMidiEvent", -1},
        {"sendVstTimeInfo", -1},
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"receiveVstTimeInfo", -1},
        {"offline", -1},
        {"plugAsChannelInsert", -1},
        {"plugAsSend", -1},
        {"mixDryWet", -1},
        {"noRealTime", 0},
        {"multipass", 0},
        {"metapass", 0},
        {"1in1out", -1},
        {"1in2out", -1},
        {"2in1out", -1},
        {"2in2out", -1},
        {"2in4out", -1},
        {"4in2out", -1},
        {"4in4out", -1},
        {"4in8out", -1},
        {"8in4out", -1},
        {"8in8out", -1},
        {"midiProgramNames", -1},
        {"conformsToWindowRules", 0},
        {"bypass", -1},
    };
    VstInt32 answer = KEffect::canDo(text);
    for (const Answer& a : kAnswers)
        if (std::strcmp(text, a.text) == 0)
            return a.answer;
    return answer;
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    // Held until the skin is loaded, so that a throw there frees the effect.
    auto effect = std::make_unique<SynthEffect>(audioMaster);
    loadSkinEditor(*effect);
    return effect.release();
}

}  // namespace kx
