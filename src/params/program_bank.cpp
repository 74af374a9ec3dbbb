#include "params/program_bank.h"

#include "params/number_text.h"

#include <cstring>

namespace kx {

void KProgramBank::build(const KParamList* params) {
    records_.reset();
    valueTexts_.reset();
    unitTexts_.reset();
    slotOffsets_.reset();
    params_ = params;
    programCount_ = kProgramCount;
    paramCount_ = params ? params->count() : 0;
    const size_t entries = static_cast<size_t>(paramCount_) * programCount_;

    slotOffsets_.reset(new int[paramCount_ > 0 ? paramCount_ : 1]());
    valueTexts_.reset(new char[entries * kTextSize + 1]());
    unitTexts_.reset(new char[entries * kUnitTextSize + 1]());

    recordSize_ = kNameSize;
    for (int i = 0; i < paramCount_; ++i) {
        slotOffsets_[i] = recordSize_;
        const KParam* p = params->get(i);
        recordSize_ += p ? p->getStorageSize() : 8;
    }
    records_.reset(new unsigned char[static_cast<size_t>(recordSize_) * programCount_]());
    resetToDefaults();
}

void KProgramBank::resetToDefaults() {
    for (int p = 0; p < programCount_; ++p) {
        setProgramName(p, "Defaults");
        for (int i = 0; i < paramCount_; ++i) {
            if (const KParam* param = params_->get(i))
                param->storeDefault(slotOf(p, i));
            refreshText(p, i);
        }
    }
}

unsigned char* KProgramBank::record(int program) {
    if (program < 0 || program >= programCount_ || !records_)
        return nullptr;
    return records_.get() + static_cast<size_t>(program) * recordSize_;
}

const unsigned char* KProgramBank::record(int program) const {
    return const_cast<KProgramBank*>(this)->record(program);
}

unsigned char* KProgramBank::slotOf(int program, int index) {
    if (!contains(program, index) || !records_)
        return nullptr;
    return record(program) + slotOffsets_[index];
}

const unsigned char* KProgramBank::slotOf(int program, int index) const {
    return const_cast<KProgramBank*>(this)->slotOf(program, index);
}

const char* KProgramBank::programName(int program) const {
    const unsigned char* r = record(program);
    return r ? reinterpret_cast<const char*>(r) : "";
}

void KProgramBank::setProgramName(int program, const char* name) {
    unsigned char* r = record(program);
    if (!r || !name)
        return;
    // Only the new characters and the terminator are written.
    size_t n = strnlen(name, kProgramNameLength);
    std::memcpy(r, name, n);
    r[n] = '\0';
}

const char* KProgramBank::valueText(int program, int index) const {
    if (!contains(program, index))
        return "";
    return valueTexts_.get() + (static_cast<size_t>(index) + static_cast<size_t>(program) * paramCount_) * kTextSize;
}

const char* KProgramBank::unitText(int program, int index) const {
    if (!contains(program, index))
        return "";
    return unitTexts_.get() + (static_cast<size_t>(index) + static_cast<size_t>(program) * paramCount_) * kUnitTextSize;
}

void KProgramBank::refreshText(int program, int index) {
    if (!contains(program, index))
        return;
    const KParam* p = params_->get(index);
    char* value = const_cast<char*>(valueText(program, index));
    char* units = const_cast<char*>(unitText(program, index));
    if (!p) {
        value[0] = units[0] = '\0';
        return;
    }
    const unsigned char* slot = slotOf(program, index);
    p->getDisplay(value, kTextSize, slot);
    p->getDisplayWithUnits(units, kTextSize, slot);
}

void KProgramBank::refreshAllTexts() {
    for (int p = 0; p < programCount_; ++p)
        for (int i = 0; i < paramCount_; ++i)
            refreshText(p, i);
}

bool KProgramBank::setFromText(int program, int index, const char* text) {
    if (!contains(program, index))
        return false;
    const KParam* p = params_->get(index);
    const bool read = p && p->setFromText(slotOf(program, index), text);
    refreshText(program, index);
    return read;
}

}  // namespace kx
