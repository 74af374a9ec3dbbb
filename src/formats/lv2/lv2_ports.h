// How the instrument's parameters appear as LV2 control ports: the port
// layout, and each parameter's port values. A linear range is shown in its
// own unit, a choice as its entry number, and a mapping that is not
// monotonic and invertible (decibels reaching minus infinity) as the stored
// 0..1 value. The parameter classes' own mapping converts, nothing else.
#pragma once

#include <cstdint>

namespace kx {

class KParam;

namespace lv2 {

inline constexpr std::uint32_t kEventsPort = 0;      // atom sequence in: MIDI and time
inline constexpr std::uint32_t kOutputPort = 1;      // mono audio out
inline constexpr std::uint32_t kFirstParamPort = 2;  // then one control port per parameter

enum class PortScale { Plain, Choice, Normalised };

struct PortRange {
    PortScale scale = PortScale::Normalised;
    double minimum = 0.0;
    double maximum = 1.0;
    double defaultValue = 0.0;
    bool integer = false;  // every value a whole number (steps of one)
};

// `current`: the stored value a new instance starts with (its first
// program's), which hosts set the port to before the first run.
PortRange portRange(const KParam& param, double current);
// The port value that shows a stored (normalised) value.
double toPortValue(const KParam& param, double normalised);
// The stored value a port value stands for, clamped to 0..1.
double fromPortValue(const KParam& param, double portValue);

}  // namespace lv2
}  // namespace kx
