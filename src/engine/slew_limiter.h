#pragma once

namespace kx {

// Moves a value toward a target by at most `step` per sample; used for the
// oscillator's loudness curve and the LFO output so that jumps cannot click.
struct SlewLimiter {
    double sampleRate = 44100.0;
    double target = 0.0;
    double value = 0.0;
    double step = 0.0;  // largest change of value per sample
    bool reached = true;

    // Audio thread, once per sample.
    void tick(double newTarget) noexcept {
        target = newTarget;
        const double d = target - value;
        reached = false;
        if (d > step) {
            value += step;
        } else if (d >= -step) {
            value = target;
            reached = true;
        } else {
            value -= step;
        }
    }
};

}  // namespace kx
