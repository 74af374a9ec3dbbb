#pragma once

#include <atomic>
#include <cstdint>

namespace kx {

// Marsaglia's multiply-with-carry generator: two 16-bit halves, one step per
// draw.
struct RandomGenerator {
    std::uint32_t z;
    std::uint32_t w;

    static constexpr std::uint32_t kMultiplierZ = 36969;
    static constexpr std::uint32_t kMultiplierW = 18000;

    std::uint32_t next() noexcept {
        z = kMultiplierZ * (z & 65535u) + (z >> 16);
        w = kMultiplierW * (w & 65535u) + (w >> 16);
        return (z << 16) + (w & 65535u);
    }

    // What a draw is multiplied by: 1 / (2^32 - 1) and 1 / (2^31 - 1), rounded.
    static constexpr double kUnipolarScale = 2.3283064370807974e-10;
    static constexpr double kBipolarScale = 4.656612875245797e-10;

    // 0..1 inclusive.
    static double unipolar(std::uint32_t draw) noexcept { return static_cast<double>(draw) * kUnipolarScale; }
    // -1..1: the draw read as a signed 32-bit word.
    static double bipolar(std::uint32_t draw) noexcept {
        return static_cast<double>(static_cast<std::int32_t>(draw)) * kBipolarScale;
    }
    double unipolar() noexcept { return unipolar(next()); }
    double bipolar() noexcept { return bipolar(next()); }

    // The generator as it stands `count` draws later, in a few
    // multiplications however far that is (see random.cpp).
    RandomGenerator jumped(std::uint64_t count) const noexcept;

    friend bool operator==(const RandomGenerator&, const RandomGenerator&) = default;
};

// A jump of a fixed number of draws, prepared once to move many generators.
class RandomJump {
public:
    explicit RandomJump(std::uint64_t count) noexcept;
    RandomGenerator operator()(RandomGenerator from) const noexcept;

private:
    std::uint64_t count_;
    std::uint64_t factorZ_;  // a^count modulo each half's modulus
    std::uint64_t factorW_;
};

// The process-wide generator shared by every instance: oscillator noise, the
// voice's anti-denormal offset, the random LFO and the patch commands all
// draw from it. Whoever draws takes consecutive draws with one atomic step,
// so that blocks rendered at once on several threads, and a patch command
// fired while a block renders, draw disjoint parts of the one sequence; on a
// single thread the draws come in exactly the order they are asked for.
// Lock-free: any thread, the audio thread included.
class Random {
public:
    static constexpr std::uint32_t kSeedZ = 71;
    static constexpr std::uint32_t kSeedW = 89;

    // The next `count` draws for the caller alone: the returned generator
    // makes them, and the shared one moves past them.
    static RandomGenerator claim(std::uint64_t count) noexcept;

    static std::uint32_t next() noexcept { return claim(1).next(); }
    static double unipolar() noexcept { return RandomGenerator::unipolar(next()); }
    static double bipolar() noexcept { return RandomGenerator::bipolar(next()); }

    // Puts the generator back to a known state (tests and tools that need
    // reproducible output start from the load-time seeds).
    static void setState(std::uint32_t z, std::uint32_t w) noexcept { state_.store(pack({z, w})); }
    static void restart() noexcept { setState(kSeedZ, kSeedW); }
    static std::uint32_t stateZ() noexcept { return unpack(state_.load()).z; }
    static std::uint32_t stateW() noexcept { return unpack(state_.load()).w; }

private:
    static constexpr std::uint64_t pack(RandomGenerator g) noexcept { return std::uint64_t{g.w} << 32 | g.z; }
    static constexpr RandomGenerator unpack(std::uint64_t s) noexcept {
        return RandomGenerator{static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(s >> 32)};
    }

    static inline constinit std::atomic<std::uint64_t> state_{std::uint64_t{kSeedW} << 32 | kSeedZ};
};

// Draws claimed from the process-wide generator, or from a generator of the
// caller's own (tests and tools that replay a fixed sequence).
class DrawSource {
public:
    DrawSource() noexcept = default;
    explicit DrawSource(RandomGenerator& own) noexcept : own_(&own) {}

    RandomGenerator claim(std::uint64_t count) noexcept {
        if (!own_)
            return Random::claim(count);
        const RandomGenerator first = *own_;
        *own_ = own_->jumped(count);
        return first;
    }

private:
    RandomGenerator* own_ = nullptr;
};

}  // namespace kx
