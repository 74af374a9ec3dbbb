// Jumping the multiply-with-carry generator ahead.
//
// One half of the generator steps s -> a * (s & 65535) + (s >> 16). Below
// the modulus m = a * 65536 - 1 that step is the multiplication
// s -> a * s mod m (a * 65536 is 1 modulo m, so the carry s >> 16 times
// a * 65536 counts as the carry itself), and the result stays below m. So
// n steps are a multiplication by a^n mod m, built from the powers a^(2^k).
// Above m a state reaches m or falls below it within two steps; m itself is
// a fixed point, like 0.
#include "engine/random.h"

#include <array>

namespace kx {

namespace {

template <std::uint32_t A>
struct Half {
    static constexpr std::uint64_t kModulus = std::uint64_t{A} * 65536 - 1;

    static constexpr std::array<std::uint64_t, 64> powers()  // a^(2^k) mod m
    {
        std::array<std::uint64_t, 64> p{};
        std::uint64_t v = A;
        for (std::uint64_t& power : p) {
            power = v;
            v = v * v % kModulus;
        }
        return p;
    }
    static constexpr std::array<std::uint64_t, 64> kPowers = powers();

    static std::uint64_t factor(std::uint64_t count) noexcept {
        std::uint64_t f = 1;
        for (std::size_t k = 0; count != 0; ++k, count >>= 1)
            if (count & 1)
                f = f * kPowers[k] % kModulus;
        return f;
    }

    static std::uint32_t jump(std::uint32_t s, std::uint64_t count, std::uint64_t factor) noexcept {
        if (s > kModulus) {
            // The steps taken down to m or below count toward the jump, and
            // the rest is a^(count - steps): a rare case, worked out afresh.
            for (; count > 0 && s > kModulus; --count)
                s = A * (s & 65535u) + (s >> 16);
            if (s > kModulus)  // the count ran out on the way down
                return s;
            factor = Half::factor(count);
        }
        if (s == kModulus)
            return s;
        return static_cast<std::uint32_t>(s * factor % kModulus);
    }
};

using HalfZ = Half<RandomGenerator::kMultiplierZ>;
using HalfW = Half<RandomGenerator::kMultiplierW>;

// Up to here stepping is cheaper than the multiplications.
constexpr std::uint64_t kStepsBeforeJumping = 8;

}  // namespace

RandomJump::RandomJump(std::uint64_t count) noexcept
    : count_(count), factorZ_(HalfZ::factor(count)), factorW_(HalfW::factor(count)) {}

RandomGenerator RandomJump::operator()(RandomGenerator from) const noexcept {
    return RandomGenerator{HalfZ::jump(from.z, count_, factorZ_), HalfW::jump(from.w, count_, factorW_)};
}

RandomGenerator RandomGenerator::jumped(std::uint64_t count) const noexcept {
    if (count <= kStepsBeforeJumping) {
        RandomGenerator g = *this;
        for (std::uint64_t i = 0; i < count; ++i)
            g.next();
        return g;
    }
    return RandomJump(count)(*this);
}

RandomGenerator Random::claim(std::uint64_t count) noexcept {
    std::uint64_t first = state_.load(std::memory_order_relaxed);
    // Another thread that claimed in between makes the exchange fail and
    // hands back the state after its draws: start again from there.
    while (!state_.compare_exchange_weak(first, pack(unpack(first).jumped(count)), std::memory_order_relaxed))
        ;
    return unpack(first);
}

}  // namespace kx
