#include "engine/lfo.h"

#include "engine/cpu_path.h"

#include <cmath>

namespace kx {

void Lfo::reset(double rate) noexcept {
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

// One loop per shape, with nothing in it but the shape's arithmetic.
KX_VECTOR_CLONES
void Lfo::shapeValues(const double* phases, double* out, int count) const noexcept {
    const Lfo& lfo = *this;
    auto fill = [&](auto shapeAt) {
        for (int i = 0; i < count; ++i)
            out[i] = shapeAt(phases[i]);
    };
    switch (shape) {
    case Sine: fill([](double p) { return Oscillator::sinePoly(p * kTwoPi - kPi); }); break;
    case Triangle:
        // Every arm computed, one chosen: no branch in the loop.
        fill([](double p) {
            const double rising = 4.0 * p, falling = 2.0 - 4.0 * p, last = 4.0 * p - 4.0;
            return p < 0.25 ? rising : p < 0.75 ? falling : last;
        });
        break;
    case Square: fill([](double p) { return p < 0.5 ? 1.0 : -1.0; }); break;
    case Rising: fill([](double p) { return 2.0 * p - 1.0; }); break;
    case Falling: fill([](double p) { return 1.0 - 2.0 * p; }); break;
    case Random: fill([&lfo](double) { return lfo.heldRandom; }); break;
    default: fill([](double) { return 0.0; }); break;
    }
}

int Lfo::drawsOver(int count) const noexcept {
    if (shape != Random)
        return 0;
    Lfo copy = *this;
    int draws = 0;
    for (int i = 0; i < count; ++i)
        draws += copy.advance() ? 1 : 0;
    return draws;
}

void Lfo::syncToHost(bool transportPlaying, double ppqPos, double tempo) noexcept {
    // A host that reports a position or tempo that is not a finite number
    // would leave the phase or the speed at NaN for good; such a report is
    // ignored, as is a negative tempo, which would run the phase backwards
    // out of its cycle. So is a tempo whose speed overflows (a huge tempo, or
    // a tiny sample rate): an endless increment turns the phase into NaN.
    if (transportPlaying && std::isfinite(ppqPos)) {
        const double a = ppqPos * 0.25 * cyclesPerBar + phaseOffset;
        if (std::isfinite(a))
            phase = a - std::floor(a);
    }
    if (std::isfinite(tempo) && tempo >= 0.0) {
        const double speed = tempo * 0.004166666666666667 * cyclesPerBar / sampleRate;
        if (std::isfinite(speed))
            increment = speed;
    }
}

}  // namespace kx
