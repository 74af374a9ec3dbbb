// The engine's own transcendental functions against MPFR's correctly rounded
// results, over the arguments the instrument gives them and then some: no
// result may lie more than one unit in the last place away.
#include "engine/exact_math.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

namespace kx {
namespace {

// Doubles in the order of their values, as consecutive integers.
std::int64_t ordered(double x) {
    const auto bits = std::bit_cast<std::int64_t>(x);
    return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
}

// Arguments from a fixed seed, so a failure repeats.
struct Arguments {
    std::uint64_t state = 0x9e3779b97f4a7c15u;
    double unit() {  // [0, 1)
        state = state * 6364136223846793005u + 1442695040888963407u;
        return static_cast<double>(state >> 11) * 0x1p-53;
    }
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    // Spread evenly over the binary exponents from 2^lo to 2^hi.
    double logUniform(double lo, double hi) { return std::ldexp(1.0 + unit(), static_cast<int>(between(lo, hi))); }
};

class CorrectlyRounded {
public:
    CorrectlyRounded() {
        mpfr_set_emin(-1073);  // double's range, subnormals included
        mpfr_set_emax(1024);
        mpfr_inits2(53, x_, y_, r_, static_cast<mpfr_ptr>(nullptr));
    }
    ~CorrectlyRounded() { mpfr_clears(x_, y_, r_, static_cast<mpfr_ptr>(nullptr)); }

    using Unary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
    using Binary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);

    double operator()(Unary f, double x) {
        mpfr_set_d(x_, x, MPFR_RNDN);
        return finish(f(r_, x_, MPFR_RNDN));
    }
    double operator()(Binary f, double x, double y) {
        mpfr_set_d(x_, x, MPFR_RNDN);
        mpfr_set_d(y_, y, MPFR_RNDN);
        return finish(f(r_, x_, y_, MPFR_RNDN));
    }

private:
    double finish(int ternary) {
        mpfr_subnormalize(r_, ternary, MPFR_RNDN);
        return mpfr_get_d(r_, MPFR_RNDN);
    }
    mpfr_t x_, y_, r_;
};

// Counts the arguments whose results lie off the correctly rounded one, and
// keeps the worst.
struct Tally {
    std::string name;
    long checked = 0, inexact = 0;
    std::int64_t worst = 0;
    double worstArgument = 0, worstArgument2 = 0, got = 0, expected = 0;

    void add(double got_, double expected_, double x, double y = 0) {
        ++checked;
        if (std::isnan(got_) && std::isnan(expected_))
            return;
        const std::int64_t d = std::abs(ordered(got_) - ordered(expected_));
        inexact += d != 0;
        if (d > worst) {
            worst = d;
            worstArgument = x;
            worstArgument2 = y;
            got = got_;
            expected = expected_;
        }
    }
    void expectWithinOneUlp() const {
        EXPECT_LE(worst, 1) << name << "(" << std::hexfloat << worstArgument << ", " << worstArgument2 << ") = " << got
                            << ", correctly rounded " << expected;
        std::printf("%s: %ld arguments, %ld one unit off (%.4f %%), worst %lld\n", name.c_str(), checked, inexact,
                    100.0 * static_cast<double>(inexact) / static_cast<double>(checked), static_cast<long long>(worst));
    }
};

TEST(ExactMath, LogWithinOneUlp) {
    CorrectlyRounded mp;
    Arguments a;
    Tally log{"log"}, log10{"log10"};
    for (int i = 0; i < 400000; ++i) {
        // The wave's level position: log(20000 / f) for every audible and
        // inaudible frequency; then doubles of every exponent, and near 1.
        const double x = i % 3 == 0   ? 20000.0 / a.between(0.001, 100000.0)
                         : i % 3 == 1 ? a.logUniform(-1074, 1024)
                                      : 1.0 + a.between(-0.3, 0.42);
        log.add(exact::log(x), mp(mpfr_log, x), x);
    }
    for (int i = 0; i < 200000; ++i) {
        const double x = i % 2 ? a.logUniform(-60, 4) : a.between(0.0, 4.0);  // a level shown in dB
        log10.add(exact::log10(x), mp(mpfr_log10, x), x);
    }
    log.expectWithinOneUlp();
    log10.expectWithinOneUlp();
}

TEST(ExactMath, ExponentialsWithinOneUlp) {
    CorrectlyRounded mp;
    Arguments a;
    Tally exp{"exp"}, exp2{"exp2"}, exp10{"exp10"};
    for (int i = 0; i < 300000; ++i) {
        // Keys, detune and bends in octaves, then the whole range.
        const double x = i % 4 == 0   ? (a.between(0, 128) - 69) / 12
                         : i % 4 == 1 ? a.between(-0.5, 0.5)
                                      : a.between(-1074.9, 1023.9);
        exp2.add(exact::exp2(x), mp(mpfr_exp2, x), x);
    }
    for (int i = 0; i < 200000; ++i) {
        const double x = i % 2 ? a.between(-20.0, 6.0) : a.between(-323.0, 308.0);  // dB / 20, then everything
        exp10.add(exact::exp10(x), mp(mpfr_exp10, x), x);
        const double y = i % 2 ? a.between(-2.0, 2.0) : a.between(-744.0, 709.0);
        exp.add(exact::exp(y), mp(mpfr_exp, y), y);
    }
    exp.expectWithinOneUlp();
    exp2.expectWithinOneUlp();
    exp10.expectWithinOneUlp();
}

TEST(ExactMath, PowWithinOneUlp) {
    CorrectlyRounded mp;
    Arguments a;
    Tally pow{"pow"};
    for (int i = 0; i < 300000; ++i) {
        // A glide's per-sample ratio: the interval's ratio to the power of one
        // over the glide's samples; then any positive base and exponent.
        double x, y;
        if (i % 2) {
            x = a.logUniform(-14, 14);
            y = 1.0 / std::floor(a.logUniform(0, 22));
        } else {
            x = a.logUniform(-30, 30);
            y = a.between(-20.0, 20.0);
        }
        pow.add(exact::pow(x, y), mp(mpfr_pow, x, y), x, y);
    }
    pow.expectWithinOneUlp();
}

TEST(ExactMath, SinAndCosWithinOneUlp) {
    CorrectlyRounded mp;
    Arguments a;
    Tally sin{"sin"}, cos{"cos"};
    // The wave tables' arguments, every 4th of them; then the whole period
    // and beyond.
    for (int k = 1; k <= 512; k += 4)
        for (int j = 0; j < 2048; j += 2) {
            const double x = j * 6.283185307179586 * 0.00048828125 * k;
            sin.add(exact::sin(x), mp(mpfr_sin, x), x);
        }
    for (int i = 0; i < 200000; ++i) {
        const double x = i % 3 ? a.between(-8.0, 8.0) : a.between(-1.0e5, 1.0e5);
        sin.add(exact::sin(x), mp(mpfr_sin, x), x);
        cos.add(exact::cos(x), mp(mpfr_cos, x), x);
    }
    sin.expectWithinOneUlp();
    cos.expectWithinOneUlp();
}

TEST(ExactMath, SpecialArguments) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(exact::log(1.0), 0.0);
    EXPECT_EQ(exact::log(0.0), -inf);
    EXPECT_TRUE(std::isnan(exact::log(-1.0)));
    EXPECT_EQ(exact::log(inf), inf);
    EXPECT_EQ(exact::log10(1000.0), 3.0);
    EXPECT_EQ(exact::exp2(7.0), 128.0);  // octaves of a key land exactly
    EXPECT_EQ(exact::exp10(0.0), 1.0);
    EXPECT_EQ(exact::exp(800.0), inf);
    EXPECT_EQ(exact::exp(-800.0), 0.0);
    EXPECT_EQ(exact::pow(10.0, 2.0), 100.0);
    EXPECT_EQ(exact::pow(-2.0, 3.0), -8.0);
    EXPECT_TRUE(std::isnan(exact::pow(-2.0, 0.5)));
    EXPECT_EQ(exact::pow(0.0, -1.0), inf);
    EXPECT_EQ(exact::pow(2.0, inf), inf);
    EXPECT_EQ(exact::pow(0.5, inf), 0.0);
    EXPECT_EQ(exact::sin(0.0), 0.0);
    EXPECT_EQ(exact::cos(0.0), 1.0);
    EXPECT_TRUE(std::isnan(exact::sin(inf)));
}

}  // namespace
}  // namespace kx
