#include "plugin/effect.h"

#include "data/byte_source.h"
#include "data/preset_reader.h"
#include "params/number_text.h"
#include "plugin/text_limits.h"

#include <cmath>
#include <cstring>

namespace kx {

// The framework's texts are sized for the host's requests, so that what the
// bank and the parameters hold reaches the host whole.
static_assert(KProgramBank::kProgramNameLength == kProgramNameChars);
static_assert(kParamNameLength == kParamNameChars);
static_assert(kUnitsLength == kParamLabelChars);

KEffect::KEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : AudioEffectX(audioMaster, numPrograms, numParams) {
    setNumInputs(0);
    setNumOutputs(1);
    std::memset(&inputArrangement_, 0, sizeof inputArrangement_);
    std::memset(&outputArrangement_, 0, sizeof outputArrangement_);
    inputArrangement_.type = kSpeakerArrMono;
    inputArrangement_.numChannels = 0;
    outputArrangement_.type = kSpeakerArrMono;
    outputArrangement_.numChannels = 1;
    params_.resize(numParams > 0 ? numParams : 0);
}

KEffect::~KEffect() {
    // The editor goes first, while the parameters its controls show and the
    // effect it reports to still exist.
    skinEditor_ = nullptr;
    skin_ = nullptr;
    editor.reset();
}

void KEffect::addParam(int index, KParam* param) {
    if (index >= params_.count())
        params_.resize(index + 1);
    params_.set(index, param);
}

// ---- Parameters and programs -----------------------------------------------

void KEffect::setParameterValue(int index, double normalised) {
    if (KParam* p = params_.get(index)) {
        p->setValue(bank_.slotOf(curProgram, index), normalised);
        valueChanged(index);
    }
}

void KEffect::setParameterReal(int index, double real) {
    if (KParam* p = params_.get(index)) {
        p->setRealValue(bank_.slotOf(curProgram, index), real);
        valueChanged(index);
    }
}

void KEffect::valueChanged(int index) {
    bank_.refreshText(curProgram, index);
    parameterChanged(index);
    parametersChanged(0);
}

double KEffect::getParameterValue(int index) const {
    const KParam* p = params_.get(index);
    return p ? p->getValue(bank_.slotOf(curProgram, index)) : 0.0;
}

int KEffect::findParameter(const char* name) const { return findParamByName(params_, name); }

void KEffect::setParameter(VstInt32 index, float value) {
    // Not a number would stay in the program and reach every time constant
    // of the engine; values outside 0..1 are stored as they come.
    if (std::isnan(value))
        return;
    setParameterValue(index, value);
}

float KEffect::getParameter(VstInt32 index) { return static_cast<float>(getParameterValue(index)); }

void KEffect::getParameterLabel(VstInt32 index, char* label) {
    const KParam* p = params_.get(index);
    copyText(label, p ? p->getUnits() : "", kParamLabelChars);
}

void KEffect::getParameterName(VstInt32 index, char* text) {
    const KParam* p = params_.get(index);
    copyText(text, p ? p->getName() : "", kParamNameChars);
}

void KEffect::getParameterDisplay(VstInt32 index, char* text) {
    // A longer text ends in "..." within the limit. The instrument's texts
    // are shorter for every value in 0..1; only values far outside (a host's
    // value, a damaged chunk) make a longer one.
    const char* cached = bank_.valueText(curProgram, index);
    if (strnlen(cached, kParamDisplayChars + 1) <= kParamDisplayChars) {
        copyText(text, cached, kParamDisplayChars);
        return;
    }
    copyText(text, cached, kParamDisplayChars - 3);
    std::strcat(text, "...");
}

bool KEffect::canParameterBeAutomated(VstInt32) { return true; }

bool KEffect::string2parameter(VstInt32 index, const char* text) {
    KParam* p = params_.get(index);
    if (!p)
        return false;
    if (!p->acceptsText())
        return false;
    // A null text asks whether the parameter takes text; a text it cannot
    // read changes nothing and is no conversion.
    if (!text)
        return true;
    if (!p->setFromText(bank_.slotOf(curProgram, index), text))
        return false;
    valueChanged(index);
    return true;
}

void KEffect::setProgram(VstInt32 program) {
    if (program >= 0 && program < bank_.getProgramCount())
        curProgram = program;
    parametersChanged(0);
}

void KEffect::setProgramName(const char* name) {
    if (curProgram < 0 || curProgram >= bank_.getProgramCount() || !name || !name[0])
        return;
    bank_.setProgramName(curProgram, name);
}

void KEffect::getProgramName(char* name) {
    copyText(name, bank_.programName(curProgram), KProgramBank::kProgramNameLength);
}

bool KEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    // Hosts ask beyond the bank too; such an index names nothing.
    if (index < 0 || index >= bank_.getProgramCount()) {
        text[0] = '\0';
        return false;
    }
    copyText(text, bank_.programName(index), KProgramBank::kProgramNameLength);
    return true;
}

bool KEffect::copyProgram(int target) {
    unsigned char* to = bank_.record(target);
    const unsigned char* from = bank_.record(curProgram);
    if (!to || !from)
        return false;
    if (to != from)
        std::memcpy(to, from, static_cast<size_t>(bank_.getRecordSize()));
    for (int i = 0; i < bank_.getParamCount(); ++i)
        bank_.refreshText(target, i);
    return true;
}

void KEffect::setSkinEditor(std::unique_ptr<AEffEditor> editor, KEditor* shown, KSkin* skin) {
    skin_ = shown ? skin : nullptr;
    skinEditor_ = shown;
    setEditor(std::move(editor));
}

void KEffect::addDisplayValue(std::unique_ptr<KDisplayValue> value) {
    if (value)
        displayValues_.push_back(std::move(value));
}

const KDisplayValue* KEffect::findDisplayValue(const char* name, KDisplayValueType type) const {
    if (!name)
        return nullptr;
    for (const auto& v : displayValues_)
        if (v->type() == type && v->isNamed(name))
            return v.get();
    return nullptr;
}

// Only the built-in files are looked at: a preset file next to the library
// is never read.
void KEffect::loadPresets(const char* fileName) {
    KMemorySource source(fileName);
    readPresets(bank_, &source);
}

VstInt32 KEffect::getChunk(void** data, bool isPreset) {
    unsigned char* start = bank_.record(isPreset ? curProgram : 0);
    if (!start) {
        *data = nullptr;
        return 0;
    }
    *data = start;
    return isPreset ? bank_.getRecordSize() : bank_.getTotalSize();
}

VstInt32 KEffect::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    unsigned char* start = bank_.record(isPreset ? curProgram : 0);
    const VstInt32 size = isPreset ? bank_.getRecordSize() : bank_.getTotalSize();
    // A chunk shorter than a program (or a bank) is not ours: refuse it whole
    // rather than read past its end.
    if (!data || !start || byteSize < size)
        return 0;
    std::memmove(start, data, static_cast<size_t>(size));
    bank_.refreshAllTexts();
    parametersChanged(0);
    return size;
}

// ---- State ---------------------------------------------------------------------

void KEffect::suspend() { resetEngine(); }

void KEffect::resume() {
    resetEngine();
    if (hasFlag(effFlagsIsSynth) || canDo("receiveVstMidiEvent") == 1)
        wantEvents(1);
}

bool KEffect::setSpeakerArrangement(VstSpeakerArrangement* inputs, VstSpeakerArrangement* outputs) {
    if (!supportsIo(inputs->numChannels, outputs->numChannels))
        return false;
    matchArrangement(inputArrangement_, *inputs);
    matchArrangement(outputArrangement_, *outputs);
    return true;
}

bool KEffect::getSpeakerArrangement(VstSpeakerArrangement** inputs, VstSpeakerArrangement** outputs) {
    *inputs = &inputArrangement_;
    *outputs = &outputArrangement_;
    return true;
}

bool KEffect::setBypass(bool onOff) {
    if (canDo("bypass") != 1)
        return false;
    bypass_ = onOff;
    return true;
}

// ---- Identity and capabilities -------------------------------------------------

namespace {

bool answerIdentity(char* out, const char* text) {
    if (!text)
        return false;
    copyText(out, text, kTextScratchSize - 1);
    return true;
}

}  // namespace

bool KEffect::getEffectName(char* name) { return answerIdentity(name, getEffectNameText()); }
bool KEffect::getVendorString(char* text) { return answerIdentity(text, getVendorText()); }
bool KEffect::getProductString(char* text) { return answerIdentity(text, getProductText()); }

VstInt32 KEffect::canDo(const char* text) {
    static const char* const kIoTexts[] = {"1in1out", "1in2out", "2in1out", "2in2out", "2in4out",
                                           "4in2out", "4in4out", "4in8out", "8in4out", "8in8out"};
    for (const char* io : kIoTexts)
        if (std::strcmp(text, io) == 0)
            return supportsIo(io[0] - '0', io[3] - '0') ? 1 : -1;
    return 0;
}

}  // namespace kx
