#include "params/param.h"

#include "params/number_text.h"

namespace kx {

void KParam::setUnits(const char* units) { copyText(units_, units, kUnitsLength); }

void KParam::getDisplay(char* text, int size, const void* slot) const {
    formatValue(text, size, getRealValue(slot), decimals_);
}

void KParam::getDisplayWithUnits(char* text, int size, const void* slot) const {
    if (!text || size < 1)
        return;
    getDisplay(text, size, slot);
    if (!units_[0])
        return;
    size_t used = std::strlen(text);
    size_t room = static_cast<size_t>(size) - 1 - used;  // bytes left before the terminator
    if (room == 0)
        return;
    text[used++] = ' ';
    --room;
    size_t n = std::strlen(units_);
    if (n > room)
        n = room;
    std::memcpy(text + used, units_, n);
    text[used + n] = '\0';
}

ValueDescription KParam::describeValues() const {
    ValueDescription d;
    d.units = units_;
    d.numeric = true;
    d.low = toReal(0.0);
    d.high = toReal(1.0);
    return d;
}

bool KParam::setFromText(void* slot, const char* text) const {
    const TypedValue typed = readTypedValue(describeValues(), text);
    if (typed.kind == TypedValue::kNumber)
        setRealValue(slot, typed.number);
    else if (typed.kind == TypedValue::kChoice)
        setValue(slot, toNormalised(typed.choice));
    return typed.kind == TypedValue::kNumber || typed.kind == TypedValue::kChoice;
}

}  // namespace kx
