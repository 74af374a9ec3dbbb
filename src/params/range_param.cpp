#include "params/range_param.h"

#include <cmath>

namespace kx {

double KRangeParam::toReal(double x) const {
    if (steps_ > 0)
        x = std::floor(steps_ * x + 0.5) / steps_;
    return minimum_ + (maximum_ - minimum_) * x;
}

double KRangeParam::toNormalised(double r) const { return clampNormalised((r - minimum_) / (maximum_ - minimum_)); }

}  // namespace kx
