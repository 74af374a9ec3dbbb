#pragma once

#include <cstdint>

namespace kx {

// The process-wide multiply-with-carry generator shared by every instance:
// oscillator noise, the voice's anti-denormal offset, the random LFO and the
// patch commands all draw from it. It is deliberately unsynchronised; draws
// from the audio and user-interface threads simply interleave.
class Random {
public:
    static constexpr std::uint32_t kSeedZ = 71;
    static constexpr std::uint32_t kSeedW = 89;

    // One step of both halves; every draw is exactly one step.
    static std::uint32_t next() noexcept
    {
        z_ = 36969u * (z_ & 65535u) + (z_ >> 16);
        w_ = 18000u * (w_ & 65535u) + (w_ >> 16);
        return (z_ << 16) + (w_ & 65535u);
    }

    // 0..1 inclusive.
    static double unipolar() noexcept { return static_cast<double>(next()) * 2.3283064370807974e-10; }

    // -1..1: the output read as a signed 32-bit word.
    static double bipolar() noexcept
    {
        return static_cast<double>(static_cast<std::int32_t>(next())) * 4.656612875245797e-10;
    }

    // Puts the generator back to a known state (tests and tools that need
    // reproducible output start from the load-time seeds).
    static void setState(std::uint32_t z, std::uint32_t w) noexcept
    {
        z_ = z;
        w_ = w;
    }
    static void restart() noexcept { setState(kSeedZ, kSeedW); }
    static std::uint32_t stateZ() noexcept { return z_; }
    static std::uint32_t stateW() noexcept { return w_; }

private:
    static inline std::uint32_t z_ = kSeedZ;
    static inline std::uint32_t w_ = kSeedW;
};

} // namespace kx
