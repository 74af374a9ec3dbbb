#include "formats/lv2/lv2_ports.h"

#include "params/enum_param.h"
#include "params/range_param.h"

#include <cmath>

namespace kx::lv2 {

namespace {

PortScale scaleOf(const KParam& param) {
    if (dynamic_cast<const KEnumParam*>(&param))
        return PortScale::Choice;
    if (dynamic_cast<const KRangeParam*>(&param))
        return PortScale::Plain;
    return PortScale::Normalised;
}

}  // namespace

PortRange portRange(const KParam& param, double current) {
    PortRange range;
    range.scale = scaleOf(param);
    if (range.scale == PortScale::Normalised) {
        range.defaultValue = current;
        return range;
    }
    range.minimum = param.toReal(0.0);
    range.maximum = param.toReal(1.0);
    range.defaultValue = param.toReal(current);
    if (range.scale == PortScale::Choice) {
        range.integer = true;
    } else {
        const auto& linear = static_cast<const KRangeParam&>(param);
        range.integer = linear.getSteps() > 0 &&
                        (linear.getMaximum() - linear.getMinimum()) / linear.getSteps() == 1.0 &&
                        linear.getMinimum() == std::floor(linear.getMinimum());
    }
    return range;
}

double toPortValue(const KParam& param, double normalised) {
    return scaleOf(param) == PortScale::Normalised ? normalised : param.toReal(normalised);
}

double fromPortValue(const KParam& param, double portValue) {
    if (scaleOf(param) == PortScale::Normalised)
        return !(portValue >= 0.0) ? 0.0 : portValue > 1.0 ? 1.0 : portValue;
    return param.toNormalised(portValue);
}

}  // namespace kx::lv2
