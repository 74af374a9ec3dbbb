#include "params/enum_param.h"

#include "params/number_text.h"

#include <cmath>
#include <new>

namespace kx {

void KEnumParam::setEntryCount(int n) {
    if (n < 0)
        n = 0;
    if (n != entryCount_ || (n > 0 && !entries_)) {
        entries_.reset();
        entryCount_ = 0;
        if (n > 0) {
            entries_.reset(new (std::nothrow) char[static_cast<size_t>(n) * kEntrySize]);
            if (!entries_)
                return;
        }
    }
    if (entries_)
        std::memset(entries_.get(), 0, static_cast<size_t>(n) * kEntrySize);
    entryCount_ = n;
}

void KEnumParam::setEntry(int index, const char* name) {
    if (index >= 0 && index < entryCount_)
        copyText(entries_.get() + index * kEntrySize, name, kEntryNameLength);
}

const char* KEnumParam::getEntry(int index) const {
    return index >= 0 && index < entryCount_ ? entries_.get() + index * kEntrySize : "";
}

double KEnumParam::toReal(double x) const { return std::floor((entryCount_ - 1) * x + 0.5); }

double KEnumParam::toNormalised(double i) const { return clampNormalised(i / (entryCount_ - 1)); }

int KEnumParam::entryIndexOf(double normalised) const {
    if (entryCount_ <= 0)
        return -1;
    double real = toReal(normalised);
    // A stored value outside 0..1 (hosts may send one) shows the nearest entry.
    if (!(real >= 0.0))
        return 0;
    if (real > entryCount_ - 1)
        return entryCount_ - 1;
    return static_cast<int>(real + 0.5);
}

void KEnumParam::getDisplay(char* text, int size, const void* slot) const {
    if (!text || size < 1)
        return;
    copyText(text, getEntry(entryIndexOf(getValue(slot))), size - 1);
}

ValueDescription KEnumParam::describeValues() const {
    ValueDescription d;
    d.units = getUnits();
    d.choiceCount = entryCount_;
    d.owner = this;
    d.choice = [](const void* owner, int index) { return static_cast<const KEnumParam*>(owner)->getEntry(index); };
    return d;
}

}  // namespace kx
