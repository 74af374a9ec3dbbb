// KdBParam: a linear gain shown in decibels. The normalised value is the gain
// divided by the reference, so 0..1 covers minus infinity up to
// 20*log10(reference) dB.
#pragma once

#include "params/param.h"

namespace kx {

class KdBParam : public KParam {
public:
    const char* getClassName() const override { return "KdBParam"; }

    void setReference(double reference) { reference_ = reference; }
    double getReference() const { return reference_; }

    // Decibels, cut to `decimals` places (halves away from zero).
    double toReal(double normalised) const override;
    double toNormalised(double dB) const override;

private:
    double reference_ = 1.0;
};

}  // namespace kx
