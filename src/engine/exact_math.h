#pragma once

#include <bit>
#include <cstdint>

// The transcendental functions the sound and the parameter mapping depend
// on, in plain double arithmetic in a fixed order: no fused multiply-add (the
// engine is compiled with -ffp-contract=off), no call into a C library. The
// C libraries pick variants by processor at run time and round differently
// from one system to another; these give the same bits on every x86-64
// processor and on every system, each within one unit in the last place of
// the correctly rounded result.
namespace kx::exact {

// Natural logarithm; log(0) is -inf, below 0 and NaN give NaN.
double log(double x) noexcept;
double log10(double x) noexcept;
// e^x, 2^x and 10^x, rounded to 0 below the smallest subnormal and to
// infinity above the largest double.
double exp(double x) noexcept;
double exp2(double x) noexcept;
double exp10(double x) noexcept;
// x^y for x > 0, with the special cases of the C function for the rest.
double pow(double x, double y) noexcept;
// Within one unit in the last place for |x| below 2^20 pi/2; larger
// arguments reduce with less precision.
double sin(double x) noexcept;
double cos(double x) noexcept;

// The logarithm of a positive, normal and finite x without a branch, so that
// loops over many can run in vector lanes; log() takes every other x.
// The same arithmetic as log() gives for such an x.
namespace detail {

inline constexpr double kLn2Hi = 6.93147180369123816490e-01;  // ln 2 to 32 bits: k x kLn2Hi is exact
inline constexpr double kLn2Lo = 1.90821492927058770002e-10;
inline constexpr double kLg1 = 6.666666666666735130e-01;
inline constexpr double kLg2 = 3.999999999940941908e-01;
inline constexpr double kLg3 = 2.857142874366239149e-01;
inline constexpr double kLg4 = 2.222219843214978396e-01;
inline constexpr double kLg5 = 1.818357216161805012e-01;
inline constexpr double kLg6 = 1.531383769920937332e-01;
inline constexpr double kLg7 = 1.479819860511658591e-01;

// x = 2^k m with m in [sqrt(2)/2, sqrt(2)); returns m, sets k and the
// upper fraction bits that choose the formula.
inline double splitNormal(double x, std::int32_t& k, std::int32_t& fractionHigh) noexcept {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    const std::int32_t hx = static_cast<std::int32_t>(bits >> 32);
    const std::int32_t fraction = hx & 0x000fffff;
    // Fractions above sqrt(2) - 1 carry into the exponent: m halves.
    const std::int32_t carry = (fraction + 0x95f64) & 0x100000;
    k = (hx >> 20) - 1023 + (carry >> 20);
    fractionHigh = fraction;
    const std::uint64_t m =
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(fraction | (carry ^ 0x3ff00000))) << 32) |
        (bits & 0xffffffffu);
    return std::bit_cast<double>(m);
}

// log(1 + f) = 2s + s R(s^2), s = f / (2 + f); the two forms of the sum
// are the more precise one each for its part of the range.
inline double logNormal(double x) noexcept {
    std::int32_t k, hx;
    const double m = splitNormal(x, k, hx);
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double dk = static_cast<double>(k);
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (kLg2 + w * (kLg4 + w * kLg6));
    const double t2 = z * (kLg1 + w * (kLg3 + w * (kLg5 + w * kLg7)));
    const double r = t2 + t1;
    const double hfsq = 0.5 * f * f;
    const double wide = dk * kLn2Hi - ((hfsq - (s * (hfsq + r) + dk * kLn2Lo)) - f);
    const double narrow = dk * kLn2Hi - ((s * (f - r) - dk * kLn2Lo) - f);
    return ((hx - 0x6147a) | (0x6b851 - hx)) > 0 ? wide : narrow;
}

// Whether logNormal takes x: positive, normal and finite.
inline bool isPositiveNormal(double x) noexcept {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    return bits - 0x0010000000000000u < 0x7fe0000000000000u;
}

}  // namespace detail

}  // namespace kx::exact
