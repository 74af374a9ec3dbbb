#pragma once

#include <cmath>
#include <cstdint>

#include "engine/oscillator.h"
#include "engine/random.h"
#include "engine/slew_limiter.h"

namespace kx {

// The voice's tremolo LFO. Its speed is in cycles per bar and follows the
// host's tempo; while the transport plays, its phase is locked to the song
// position once per block. The output is slew-limited (full swing in 1 ms)
// so the square, ramp and random shapes cannot click.
class Lfo {
public:
    enum Shape : std::int32_t { Sine = 0, Triangle = 1, Square = 2, Rising = 3, Falling = 4, Random = 5 };

    static constexpr double kInvDegrees = 0.002777777777777778;  // 1/360

    // Initialises for `rate` Hz, drawing one random value.
    explicit Lfo(double rate) noexcept { reset(rate); }

    std::int32_t shape = Sine;  // other values give 0
    double cyclesPerBar = 0.0;
    SlewLimiter output;
    double phase = 0.0;  // cycles, [0, 1)
    double phaseOffset = 0.0;
    double increment = 0.0;  // cycles per sample
    double heldRandom = 0.0;
    double sampleRate = 44100.0;

    // Back to the construction state for `rate` Hz, with a fresh random draw.
    void reset(double rate) noexcept;

    // Once per block, before its first sample, when the host supplied both a
    // valid musical position and tempo (audio thread).
    void syncToHost(bool transportPlaying, double ppqPos, double tempo) noexcept;

    // Shape value at phase p in [0, 1).
    double shapeValue(double p) const noexcept {
        switch (shape) {
        case Sine: return Oscillator::sinePoly(p * kTwoPi - kPi);
        case Triangle:
            if (p < 0.25)
                return 4.0 * p;
            if (p < 0.75)
                return 2.0 - 4.0 * p;
            return 4.0 * p - 4.0;
        case Square: return p < 0.5 ? 1.0 : -1.0;
        case Rising: return 2.0 * p - 1.0;
        case Falling: return 1.0 - 2.0 * p;
        case Random: return heldRandom;
        default: return 0.0;
        }
    }

    // Audio thread, once per sample; the voice then reads output.value. The
    // Random shape draws from `random` when its cycle wraps.
    void tick(RandomGenerator& random) noexcept {
        if (advance())
            heldRandom = random.bipolar();
        follow();
    }
    void tick() noexcept {
        if (advance())
            heldRandom = kx::Random::bipolar();
        follow();
    }

    // The two halves of a tick, for a caller that makes the draw itself:
    // advance moves the phase and answers true when the Random shape wants
    // its next value (set heldRandom before follow); follow steps the output
    // toward the shape.
    bool advance() noexcept { return turn(phase, increment) && shape == Random; }
    void follow() noexcept { output.tick(shapeValue(phase)); }

    // The phase one increment on, kept in [0, 1); true when it wrapped.
    static bool turn(double& p, double inc) noexcept {
        p = p + inc;
        if (p >= 1.0) {
            p -= 1.0;
            if (p >= 1.0)  // only for an increment of a cycle or more per sample
                p -= std::floor(p);
            return true;
        }
        return false;
    }

    // The phase through a stretch in which the LFO draws nothing, held in a
    // local while the voice steps it.
    struct PhaseTracker {
        double phase;
        double increment;
        double* phases;

        void track(int i) noexcept {
            turn(phase, increment);
            phases[i] = phase;
        }
    };
    PhaseTracker phaseTracker(double* phases) const noexcept { return PhaseTracker{phase, increment, phases}; }
    void keep(const PhaseTracker& t) noexcept { phase = t.phase; }

    // The shape at each of `count` phases (the Random shape: heldRandom).
    void shapeValues(const double* phases, double* out, int count) const noexcept;

    // How many values the next `count` ticks draw: the cycle's wraps while
    // the shape is Random, none for the other shapes.
    int drawsOver(int count) const noexcept;
};

}  // namespace kx
