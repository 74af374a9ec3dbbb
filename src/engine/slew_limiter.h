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

    // Whether ticks toward targets[0 .. count) (count > 0) would each land
    // on their target: a move of at most a step from the value to the first
    // target and from each target to the next, checked with the same
    // subtraction and comparisons as a tick. Then the stretch ends as
    // settle(targets[count - 1]) leaves it. No branch in the loop, so that
    // the compiler may run it in vector lanes.
    bool keepsUp(const double* targets, int count) const noexcept {
        const double first = targets[0] - value;
        int misses = (first > step) | !(first >= -step);
        for (int i = 1; i < count; ++i) {
            const double d = targets[i] - targets[i - 1];
            misses += (d > step) | !(d >= -step);
        }
        return misses == 0;
    }

    // Where ticks that kept up leave the limiter.
    void settle(double last) noexcept {
        target = last;
        value = last;
        reached = true;
    }
};

}  // namespace kx
