#pragma once

#include <cstdint>

namespace kx {

// Marsaglia's multiply-with-carry generator: two 16-bit halves, one step per
// draw.
struct RandomGenerator {
    std::uint32_t z;
    std::uint32_t w;

    std::uint32_t next() noexcept
    {
        z = 36969u * (z & 65535u) + (z >> 16);
        w = 18000u * (w & 65535u) + (w >> 16);
        return (z << 16) + (w & 65535u);
    }

    // 0..1 inclusive.
    double unipolar() noexcept { return static_cast<double>(next()) * 2.3283064370807974e-10; }

    // -1..1: the output read as a signed 32-bit word.
    double bipolar() noexcept { return static_cast<double>(static_cast<std::int32_t>(next())) * 4.656612875245797e-10; }
};

// The process-wide generator shared by every instance: oscillator noise, the
// voice's anti-denormal offset, the random LFO and the patch commands all
// draw from it. It is deliberately unsynchronised; draws from the audio and
// user-interface threads simply interleave.
class Random {
public:
    static constexpr std::uint32_t kSeedZ = 71;
    static constexpr std::uint32_t kSeedW = 89;

    static RandomGenerator& shared() noexcept { return state_; }

    static std::uint32_t next() noexcept { return state_.next(); }
    static double unipolar() noexcept { return state_.unipolar(); }
    static double bipolar() noexcept { return state_.bipolar(); }

    // Puts the generator back to a known state (tests and tools that need
    // reproducible output start from the load-time seeds).
    static void setState(std::uint32_t z, std::uint32_t w) noexcept { state_ = RandomGenerator{z, w}; }
    static void restart() noexcept { setState(kSeedZ, kSeedW); }
    static std::uint32_t stateZ() noexcept { return state_.z; }
    static std::uint32_t stateW() noexcept { return state_.w; }

private:
    static inline RandomGenerator state_{kSeedZ, kSeedW};
};

} // namespace kx
