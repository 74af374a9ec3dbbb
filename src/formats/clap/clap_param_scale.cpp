#include "formats/clap/clap_param_scale.h"

#include "params/range_param.h"

#include <cmath>

namespace kx::clap {

ParamScale scaleOf(const KParam& param) {
    ParamScale s;
    const ValueDescription d = param.describeValues();
    if (!d.numeric && d.choiceCount > 0) {
        s.plain = s.stepped = s.choice = true;
        s.max = d.choiceCount - 1;
        return s;
    }
    if (!d.numeric || !std::isfinite(d.low) || !std::isfinite(d.high) || d.low == d.high)
        return s;
    s.plain = true;
    s.min = std::fmin(d.low, d.high);
    s.max = std::fmax(d.low, d.high);
    // A grid of whole numbers from a whole number is stepped.
    if (const auto* range = dynamic_cast<const KRangeParam*>(&param); range && range->getSteps() > 0)
        s.stepped = s.min == std::floor(s.min) && (s.max - s.min) == range->getSteps();
    return s;
}

double toPlain(const KParam& param, double normalised) {
    const ParamScale s = scaleOf(param);
    if (!s.plain)
        return normalised;
    // A stored 0..1 value lands a hair beside its step (a bank file's float);
    // the step it shows is the nearest, and the cut on the way back must not
    // drop it to the one below.
    const double real = param.toReal(normalised);
    return s.stepped ? std::round(real) : real;
}

double toNormalised(const KParam& param, double plain) {
    const ParamScale s = scaleOf(param);
    if (!(plain >= s.min))
        plain = s.min;  // NaN too
    if (plain > s.max)
        plain = s.max;
    if (s.stepped)
        plain = std::trunc(plain);
    return s.plain ? param.toNormalised(plain) : plain;
}

}  // namespace kx::clap
