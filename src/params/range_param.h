// KRangeParam: a linear range from minimum to maximum, continuous or divided
// into `steps` equal intervals.
#pragma once

#include "params/param.h"

namespace kx {

class KRangeParam : public KParam {
public:
    const char* getClassName() const override { return "KRangeParam"; }

    // Set before setDefaultReal: the default is mapped through the range.
    void setRange(double minimum, double maximum, int steps) {
        minimum_ = minimum;
        maximum_ = maximum;
        steps_ = steps;
    }
    double getMinimum() const { return minimum_; }
    double getMaximum() const { return maximum_; }
    int getSteps() const { return steps_; }

    // Snaps to the grid (halves go up) when there are steps; no clamping.
    double toReal(double normalised) const override;
    double toNormalised(double real) const override;

private:
    double minimum_ = 0.0;
    double maximum_ = 1.0;
    int steps_ = 0;  // 0 = continuous
};

}  // namespace kx
