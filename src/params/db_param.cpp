#include "params/db_param.h"

#include "engine/exact_math.h"

#include <cmath>
#include <cstdint>

namespace kx {

double KdBParam::toReal(double x) const {
    double v = 20.0 * exact::log10(x * reference_);
    if (!std::isfinite(v))
        return v;
    int decimals = getDecimals();
    double scale = 1.0;  // 10^decimals, exact up to 10^22
    for (int i = 0; i < decimals; ++i)
        scale *= 10.0;
    double y = scale * v;
    y = y >= 0.0 ? y + 0.5 : y - 0.5;
    // Rounded to the decimals half away from zero by truncating through a
    // 32-bit integer; a value that no 32-bit integer holds is truncated in
    // floating point instead, where the conversion would be undefined.
    if (y > INT32_MIN && y < INT32_MAX)
        return static_cast<int32_t>(y) / scale;
    return std::trunc(y) / scale;
}

double KdBParam::toNormalised(double dB) const { return clampNormalised(exact::exp10(dB * 0.05) / reference_); }

}  // namespace kx
