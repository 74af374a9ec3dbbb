// Values an effect publishes for display only (levels, peaks, a waveform
// history), found by name and type by the skin's meters. The effect owns the
// records; each points at a datum the effect keeps up to date.
#pragma once

#include <cstdint>
#include <vector>

#include "params/named_object.h"

namespace kx {

// A scrolling record of bands per time slot, newest at writePosition - 1.
struct KHistory {
    explicit KHistory(int capacity = 0)
        : capacity(capacity > 0 ? capacity : 0),
          outerLow(this->capacity),
          outerHigh(this->capacity),
          innerLow(this->capacity),
          innerHigh(this->capacity) {}
    int capacity;
    std::vector<double> outerLow, outerHigh, innerLow, innerHigh;
    int writePosition = 0;
    int changeCounter = 0;  // changes whenever the history is written
};

enum class KDisplayValueType { Real, Integer, History };

class KDisplayValue : public KNamedObjectN<35> {
public:
    KDisplayValue(const char* name, const double* value) : type_(KDisplayValueType::Real), real_(value) {
        setName(name);
    }
    KDisplayValue(const char* name, const int32_t* value) : type_(KDisplayValueType::Integer), integer_(value) {
        setName(name);
    }
    KDisplayValue(const char* name, const KHistory* value) : type_(KDisplayValueType::History), history_(value) {
        setName(name);
    }
    const char* getClassName() const override {
        switch (type_) {
        case KDisplayValueType::Real: return "double";
        case KDisplayValueType::Integer: return "int32_t";
        case KDisplayValueType::History: return "KHistory";
        }
        return "";
    }
    KDisplayValueType type() const { return type_; }
    // Read live at every paint; null data reads as zero.
    double real() const { return real_ ? *real_ : 0.0; }
    int32_t integer() const { return integer_ ? *integer_ : 0; }
    const KHistory* history() const { return history_; }

private:
    KDisplayValueType type_;
    const double* real_ = nullptr;       // not owned
    const int32_t* integer_ = nullptr;   // not owned
    const KHistory* history_ = nullptr;  // not owned
};

}  // namespace kx
