#include "engine/lfo.h"

#include <cmath>

namespace kx {

void Lfo::reset(double rate) noexcept
{
    shape = Sine;
    cyclesPerBar = 0.0;
    output.sampleRate = rate;
    output.target = 0.0;
    output.value = 0.0;
    output.step = std::fabs(2.0 / (rate * 0.001));
    output.reached = true;
    phase = 0.0;
    phaseOffset = 0.0;
    increment = 0.0;
    heldRandom = kx::Random::bipolar();
    sampleRate = rate;
}

void Lfo::syncToHost(bool transportPlaying, double ppqPos, double tempo) noexcept
{
    // A host that reports a position or tempo that is not a finite number
    // would leave the phase or the speed at NaN for good; such a report is
    // ignored, as is a negative tempo, which would run the phase backwards
    // out of its cycle.
    if (transportPlaying && std::isfinite(ppqPos)) {
        const double a = ppqPos * 0.25 * cyclesPerBar + phaseOffset;
        if (std::isfinite(a))
            phase = a - std::floor(a);
    }
    if (std::isfinite(tempo) && tempo >= 0.0)
        increment = tempo * 0.004166666666666667 * cyclesPerBar / sampleRate;
}

} // namespace kx
