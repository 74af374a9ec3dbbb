#pragma once

#include <cstdint>

namespace kx {

enum class EnvelopeState : std::int32_t { Idle = 0, Attack = 1, Sustain = 2, Release = 3 };

// Attack/sustain/release generator: the attack rises along a parabola that
// starts flat, the release falls along one that ends flat. A segment's
// increment and span are fixed when it starts.
class Envelope {
public:
    EnvelopeState state = EnvelopeState::Idle;
    double value = 0.0;
    double progress = 0.0;   // 0..1 through the running segment
    double increment = 0.0;  // progress per sample
    double span = 0.0;       // height of the running segment
    double sampleRate = 44100.0;

    // Starts the attack unless the envelope is already rising or holding.
    void trigger(double attackTime) noexcept {
        if (state == EnvelopeState::Attack || state == EnvelopeState::Sustain)
            return;
        progress = 0.0;
        state = EnvelopeState::Attack;
        span = 1.0 - value;
        increment = 1.0 / (attackTime * sampleRate);
    }

    // Starts the release unless it is already releasing (an idle envelope
    // runs a release of span 0).
    void release(double releaseTime) noexcept {
        if (state == EnvelopeState::Release)
            return;
        progress = 0.0;
        state = EnvelopeState::Release;
        span = value;
        increment = 1.0 / (releaseTime * sampleRate);
    }

    // Drops to silence at once, without a release.
    void silence() noexcept {
        state = EnvelopeState::Idle;
        value = 0.0;
        endSegment();
    }

    // Audio thread, once per sample.
    void tick() noexcept {
        if (state == EnvelopeState::Attack) {
            progress = progress + increment;
            value = value + 2.0 * progress * span * increment;
            if (progress >= 1.0) {
                state = EnvelopeState::Sustain;
                value = 1.0;
                endSegment();
            }
        } else if (state == EnvelopeState::Release) {
            progress = progress + increment;
            value = value + (2.0 * progress - 2.0) * span * increment;
            if (progress >= 1.0) {
                value = 0.0;
                state = EnvelopeState::Idle;
                endSegment();
            }
        }
    }

    bool isIdle() const noexcept { return state == EnvelopeState::Idle; }

private:
    void endSegment() noexcept {
        span = 0.0;
        increment = 0.0;
        progress = 0.0;
    }
};

}  // namespace kx
