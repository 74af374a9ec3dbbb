// How a parameter shows in CLAP: plain values in the parameter's own unit
// where its class maps 0..1 onto a finite range (choices by their index),
// else the 0..1 value itself (a gain whose low end is minus infinity dB).
// The parameter classes are the one mapping: toReal and toNormalised.
#pragma once

#include "params/param.h"

#include <cstdint>

namespace kx::clap {

struct ParamScale {
    double min = 0.0;
    double max = 1.0;
    bool plain = false;    // values in the unit; else 0..1
    bool stepped = false;  // whole numbers only
    bool choice = false;   // each whole number is a named entry
};

ParamScale scaleOf(const KParam& param);
double toPlain(const KParam& param, double normalised);
// Stepped values are cut to whole numbers, as the interface has it.
double toNormalised(const KParam& param, double plain);

}  // namespace kx::clap
