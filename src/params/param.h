// KParam: one setting of the effect. It holds name, units, decimals and the
// default; the per-program values live in the program bank, which hands each
// value operation a pointer to the value's 8-byte slot. Slots inside bank
// records are not aligned, so they are always read and written by byte copy.
#pragma once

#include "params/named_object.h"
#include "params/typed_text.h"

#include <cstring>

namespace kx {

inline constexpr int kUnitsLength = 8;

inline double loadSlot(const void* slot) {
    double value = 0.0;
    if (slot)
        std::memcpy(&value, slot, sizeof value);
    return value;
}

inline void storeSlot(void* slot, double value) {
    if (slot)
        std::memcpy(slot, &value, sizeof value);
}

class KParam : public KNamedObjectN<kParamNameLength> {
public:
    KParam() { units_[0] = '\0'; }

    void setUnits(const char* units);
    const char* getUnits() const { return units_; }
    int getDecimals() const { return decimals_; }

    virtual void setDefault(double normalised) { defaultValue_ = normalised; }
    virtual void setDefaultReal(double real) { setDefault(toNormalised(real)); }
    virtual double getDefault() const { return defaultValue_; }
    virtual void setDecimals(int decimals) { decimals_ = decimals; }
    virtual bool acceptsText() const { return true; }
    // Bytes one program needs for this parameter's value.
    virtual int getStorageSize() const { return 8; }
    virtual double getValue(const void* slot) const { return loadSlot(slot); }
    virtual double getQuantisedValue(const void* slot) const { return quantise(getValue(slot)); }
    virtual double getRealValue(const void* slot) const { return toReal(getValue(slot)); }
    // Value text without units.
    virtual void getDisplay(char* text, int size, const void* slot) const;
    // Value text, then a blank and the units when there are any.
    virtual void getDisplayWithUnits(char* text, int size, const void* slot) const;
    // Stores a normalised value as it is, without clamping.
    virtual void setValue(void* slot, double normalised) const { storeSlot(slot, normalised); }
    virtual void setRealValue(void* slot, double real) const { setValue(slot, toNormalised(real)); }
    // Reads a typed value (params/typed_text.h) and stores it, a number in
    // real units clamped into the range. False, with the slot unchanged, for
    // a text it cannot read.
    virtual bool setFromText(void* slot, const char* text) const;
    virtual void storeDefault(void* slot) const { setValue(slot, defaultValue_); }
    virtual double toReal(double normalised) const = 0;
    // Clamps to 0..1; a result that is not a number gives 0.
    virtual double toNormalised(double real) const = 0;
    virtual double quantise(double normalised) const { return toNormalised(toReal(normalised)); }
    // What typed text is read against: numbers in the units from toReal(0)
    // to toReal(1).
    virtual ValueDescription describeValues() const;

protected:
    // y clamped to 0..1, with anything not >= 0 (negative or NaN) giving 0.
    static double clampNormalised(double y) { return !(y >= 0.0) ? 0.0 : y > 1.0 ? 1.0 : y; }

private:
    char units_[kUnitsLength + 1];
    int decimals_ = 0;
    double defaultValue_ = 0.0;
};

}  // namespace kx
