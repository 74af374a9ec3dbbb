// Reductions and polynomials in the classic form of the freely distributable
// math library of the early nineties (its coefficients, its error bounds),
// with the extra precision pow and the other bases need carried as pairs of
// doubles (a value and its rounding error), formed by Dekker's exact product
// and Knuth's exact sum: every step is an IEEE double operation.
#include "engine/exact_math.h"

#include <limits>

namespace kx::exact {

namespace {

using namespace detail;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::uint32_t highWord(double x) noexcept { return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(x) >> 32); }

// A value and the rounding error it leaves out: hi + lo.
struct Pair {
    double hi, lo;
};

Pair twoSum(double a, double b) noexcept {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// |a| >= |b| (or a is 0).
Pair fastTwoSum(double a, double b) noexcept {
    const double s = a + b;
    return {s, b - (s - a)};
}

Pair split(double a) noexcept {
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double hi = c - (c - a);
    return {hi, a - hi};
}

Pair twoProduct(double a, double b) noexcept {
    const double p = a * b;
    const Pair x = split(a), y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

// 2^k as a double, for k from -1022 to 1023.
double powerOfTwo(int k) noexcept { return std::bit_cast<double>(static_cast<std::uint64_t>(k + 1023) << 52); }

double scale(double y, int k) noexcept {
    if (k > 1023)
        return y * 2.0 * powerOfTwo(k - 1);
    if (k >= -1021)
        return y * powerOfTwo(k);
    return y * powerOfTwo(k + 1000) * powerOfTwo(-1000);  // subnormal results round once here
}

// ---- e^x ---------------------------------------------------------------------------

// 2^(j/64) for j = 0 .. 63 as pairs: the reduction leaves |r| <= ln(2)/128,
// where a short series is good to far below the last bit.
constexpr Pair kPowersOfTwo64[64] = {{0x1p+0, 0x0p+0},
                                     {0x1.02c9a3e778061p+0, -0x1.19083535b085dp-56},
                                     {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55},
                                     {0x1.0874518759bc8p+0, 0x1.186be4bb284ffp-57},
                                     {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54},
                                     {0x1.0e3ec32d3d1a2p+0, 0x1.03a1727c57b53p-59},
                                     {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54},
                                     {0x1.1429aaea92dep+0, -0x1.32fbf9af1369ep-54},
                                     {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55},
                                     {0x1.1a35beb6fcb75p+0, 0x1.e5b4c7b4968e4p-55},
                                     {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54},
                                     {0x1.2063b88628cd6p+0, 0x1.dc775814a8495p-55},
                                     {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54},
                                     {0x1.26b4565e27cddp+0, 0x1.2bd339940e9d9p-55},
                                     {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55},
                                     {0x1.2d285a6e4030bp+0, 0x1.0024754db41d5p-54},
                                     {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55},
                                     {0x1.33c08b26416ffp+0, 0x1.32721843659a6p-54},
                                     {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54},
                                     {0x1.3a7db34e59ff7p+0, -0x1.5e436d661f5e3p-56},
                                     {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55},
                                     {0x1.4160a21f72e2ap+0, -0x1.ef3691c309278p-58},
                                     {0x1.44e086061892dp+0, 0x1.89b7a04ef80dp-59},
                                     {0x1.486a2b5c13cdp+0, 0x1.3c1a3b69062fp-56},
                                     {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56},
                                     {0x1.4f9b2769d2ca7p+0, -0x1.4b309d25957e3p-54},
                                     {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55},
                                     {0x1.56f4736b527dap+0, 0x1.9bb2c011d93adp-54},
                                     {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54},
                                     {0x1.5e76f15ad2148p+0, 0x1.ba6f93080e65ep-54},
                                     {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54},
                                     {0x1.6623882552225p+0, -0x1.bb60987591c34p-54},
                                     {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54},
                                     {0x1.6dfb23c651a2fp+0, -0x1.bbe3a683c88abp-57},
                                     {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55},
                                     {0x1.75feb564267c9p+0, -0x1.0245957316dd3p-54},
                                     {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55},
                                     {0x1.7e2f336cf4e62p+0, 0x1.05d02ba15797ep-56},
                                     {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54},
                                     {0x1.868d99b4492edp+0, -0x1.fc6f89bd4f6bap-54},
                                     {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54},
                                     {0x1.8f1ae99157736p+0, 0x1.5cc13a2e3976cp-55},
                                     {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57},
                                     {0x1.97d829fde4e5p+0, -0x1.d185b7c1b85d1p-54},
                                     {0x1.9c49182a3f09p+0, 0x1.c7c46b071f2bep-56},
                                     {0x1.a0c667b5de565p+0, -0x1.359495d1cd533p-54},
                                     {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54},
                                     {0x1.a9e6b5579fdbfp+0, 0x1.0fac90ef7fd31p-54},
                                     {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54},
                                     {0x1.b33a2b84f15fbp+0, -0x1.2805e3084d708p-57},
                                     {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56},
                                     {0x1.bcc1e904bc1d2p+0, 0x1.23dd07a2d9e84p-55},
                                     {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55},
                                     {0x1.c67f12e57d14bp+0, 0x1.2884dff483cadp-54},
                                     {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56},
                                     {0x1.d072d4a07897cp+0, -0x1.cbc3743797a9cp-54},
                                     {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55},
                                     {0x1.da9e603db3285p+0, 0x1.c2300696db532p-54},
                                     {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54},
                                     {0x1.e502ee78b3ff6p+0, 0x1.39e8980a9cc8fp-55},
                                     {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54},
                                     {0x1.efa1bee615a27p+0, 0x1.dc7f486a4b6bp-54},
                                     {0x1.f50765b6e454p+0, 0x1.9d3e12dd8a18bp-54},
                                     {0x1.fa7c1819e90d8p+0, 0x1.74853f3a5931ep-55}};

constexpr double kSixtyFourOverLn2 = 92.33248261689366;
constexpr double kLn2HiBy64 = kLn2Hi / 64;  // n x this is exact for |n| < 2^21
constexpr double kLn2LoBy64 = kLn2Lo / 64;
constexpr double kOverflow = 7.09782712893383973096e+02;
constexpr double kUnderflow = -7.45133219101941108420e+02;

int nearestInteger(double x) noexcept { return static_cast<int>(x < 0.0 ? x - 0.5 : x + 0.5); }

// 2^(n/64) e^(rh + rl), |rh| <= ln(2)/128 or a little more, rl small beside
// it: e^r - 1 - rh by its series, then one rounding at the end.
double expReduced(int n, double high, double low) noexcept {
    // Renormalised, so that the series may leave out low's cross terms.
    const Pair r = fastTwoSum(high, low);
    const double rh = r.hi, rl = r.lo;
    const int j = n & 63;
    const int k = (n - j) / 64;
    const Pair t = kPowersOfTwo64[j];
    const double series =
        rh * rh *
        (0.5 + rh * (0.16666666666666666 +
                     rh * (0.041666666666666664 + rh * (0.008333333333333333 + rh * 0.001388888888888889))));
    const double rest = rl + (rl * rh + series);  // e^r - 1 - rh
    const Pair p = twoProduct(t.hi, rh);
    const Pair sum = twoSum(t.hi, p.hi);
    return scale(sum.hi + (sum.lo + (p.lo + (t.hi * rest + (t.lo + t.lo * rh)))), k);
}

// e^(zh + zl), |zl| within half a unit of zh.
double expPair(double zh, double zl) noexcept {
    if (zh != zh)
        return zh;
    if (zh > kOverflow)
        return kInf;
    if (zh < kUnderflow)
        return 0.0;
    const int n = nearestInteger(zh * kSixtyFourOverLn2);
    const double dn = static_cast<double>(n);
    const double rh = zh - dn * kLn2HiBy64;  // exact
    const double rl = zl - dn * kLn2LoBy64;
    return expReduced(n, rh, rl);
}

// ---- log x as a pair ---------------------------------------------------------------

// log(x) for a positive normal finite x, to some 59 bits: 2s formed exactly
// from f / (2 + f), the polynomial's share added to its error.
Pair logPair(double x) noexcept {
    std::int32_t k, hx;
    const double m = splitNormal(x, k, hx);
    const double f = m - 1.0;  // exact
    const Pair u = fastTwoSum(2.0, f);
    const double s = f / u.hi;
    const Pair p = twoProduct(s, u.hi);
    const double sLow = (((f - p.hi) - p.lo) - s * u.lo) / u.hi;
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (kLg2 + w * (kLg4 + w * kLg6));
    const double t2 = z * (kLg1 + w * (kLg3 + w * (kLg5 + w * kLg7)));
    const double dk = static_cast<double>(k);
    const Pair head = fastTwoSum(dk * kLn2Hi, 2.0 * s);
    const Pair sum = twoSum(head.hi, head.lo + (dk * kLn2Lo + (2.0 * sLow + s * (t2 + t1))));
    return fastTwoSum(sum.hi, sum.lo);
}

// Brings a subnormal x into the normal range: x = y 2^-54.
double normalised(double x, int& shift) noexcept {
    shift = 0;
    if (x < 2.2250738585072014e-308) {
        x *= 18014398509481984.0;  // 2^54
        shift = -54;
    }
    return x;
}

constexpr Pair kLn2{0.69314718055994529, 2.3190468138462996e-17};
constexpr Pair kLn10{2.3025850929940459, -2.1707562233822494e-16};
constexpr Pair kInvLn10{0.43429448190325182, 1.0983196502167651e-17};

// (a.hi + a.lo) b as a pair.
Pair times(Pair a, Pair b) noexcept {
    const Pair p = twoProduct(a.hi, b.hi);
    return fastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

Pair logPairOfPositive(double x) noexcept {
    int shift;
    const double y = normalised(x, shift);
    Pair l = logPair(y);
    if (shift != 0) {
        const Pair back = times(kLn2, Pair{static_cast<double>(shift), 0.0});
        const Pair s = twoSum(l.hi, back.hi);
        l = fastTwoSum(s.hi, s.lo + (l.lo + back.lo));
    }
    return l;
}

// ---- sin and cos -------------------------------------------------------------------

constexpr double kS1 = -1.66666666666666324348e-01;
constexpr double kS2 = 8.33333333332248946124e-03;
constexpr double kS3 = -1.98412698298579493134e-04;
constexpr double kS4 = 2.75573137070700676789e-06;
constexpr double kS5 = -2.50507602534068634195e-08;
constexpr double kS6 = 1.58969099521155010221e-10;
constexpr double kC1 = 4.16666666666666019037e-02;
constexpr double kC2 = -1.38888888888741095749e-03;
constexpr double kC3 = 2.48015872894767294178e-05;
constexpr double kC4 = -2.75573143513906633035e-07;
constexpr double kC5 = 2.08757232129817482790e-09;
constexpr double kC6 = -1.13596475577881948265e-11;

// sin(x + y) for |x| <= pi/4, y the reduction's error beside x (none for
// an argument that needed no reduction).
double sinKernel(double x, double y, bool reduced) noexcept {
    const double z = x * x;
    const double v = z * x;
    const double r = kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * kS6)));
    if (!reduced)
        return x + v * (kS1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

double cosKernel(double x, double y) noexcept {
    const double z = x * x;
    const double r = z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * kC6)))));
    const std::uint32_t ix = highWord(x) & 0x7fffffff;
    if (ix < 0x3FD33333)  // |x| < 0.3
        return 1.0 - (0.5 * z - (z * r - x * y));
    // 1 - x^2/2 loses bits there: a quarter of x^2 (rounded to its upper
    // bits) taken off 1 first keeps it exact.
    const double qx =
        ix > 0x3fe90000 ? 0.28125 : std::bit_cast<double>(static_cast<std::uint64_t>(ix - 0x00200000) << 32);
    const double hz = 0.5 * z - qx;
    const double a = 1.0 - qx;
    return a - (hz - (z * r - x * y));
}

constexpr double kInvPio2 = 6.36619772367581382433e-01;
constexpr double kPio2_1 = 1.57079632673412561417e+00;  // the first 33 bits of pi/2
constexpr double kPio2_1t = 6.07710050650619224932e-11;
constexpr double kPio2_2 = 6.07710050630396597660e-11;  // the next 33
constexpr double kPio2_2t = 2.02226624879595063154e-21;
constexpr double kPio2_3 = 2.02226624871116645580e-21;  // and the next
constexpr double kPio2_3t = 8.47842766036889956997e-32;

// x - n pi/2 as y0 + y1 with |y0| <= pi/4; returns n. Each part of pi/2
// times n is exact while n < 2^20, and a further part is taken only when
// the bits cancelled call for it.
int reduce(double x, double& y0, double& y1) noexcept {
    const double t = x < 0.0 ? -x : x;
    const int n = static_cast<int>(t * kInvPio2 + 0.5);
    const double fn = static_cast<double>(n);
    double r = t - fn * kPio2_1;
    double w = fn * kPio2_1t;
    const int j = static_cast<int>(highWord(t) >> 20);
    y0 = r - w;
    int i = j - static_cast<int>((highWord(y0) >> 20) & 0x7ff);
    if (i > 16) {
        double u = r;
        w = fn * kPio2_2;
        r = u - w;
        w = fn * kPio2_2t - ((u - r) - w);
        y0 = r - w;
        i = j - static_cast<int>((highWord(y0) >> 20) & 0x7ff);
        if (i > 49) {
            u = r;
            w = fn * kPio2_3;
            r = u - w;
            w = fn * kPio2_3t - ((u - r) - w);
            y0 = r - w;
        }
    }
    y1 = (r - y0) - w;
    if (x < 0.0) {
        y0 = -y0;
        y1 = -y1;
        return -n;
    }
    return n;
}

constexpr std::uint32_t kQuarterPi = 0x3fe921fb;  // high word of pi/4
constexpr std::uint32_t kTiny = 0x3e400000;       // 2^-27: x^3/6 lies below half a unit of x

}  // namespace

double log(double x) noexcept {
    if (isPositiveNormal(x))
        return logNormal(x);
    if (x != x || x == kInf)
        return x + x;
    if (x == 0.0)
        return -kInf;
    if (x < 0.0)
        return kNaN;
    const Pair l = logPairOfPositive(x);  // subnormal
    return l.hi + l.lo;
}

double log10(double x) noexcept {
    if (!(x > 0.0) || x == kInf)
        return log(x);
    const Pair l = times(logPairOfPositive(x), kInvLn10);
    return l.hi + l.lo;
}

double exp(double x) noexcept { return expPair(x, 0.0); }

double exp2(double x) noexcept {
    if (x != x)
        return x;
    if (x >= 1024.0)
        return kInf;
    if (x < -1075.0)
        return 0.0;
    // 2^x = 2^(n/64) e^(r ln 2) with n nearest 64x and r = x - n/64 exact.
    const int n = nearestInteger(x * 64.0);
    const Pair r = times(kLn2, Pair{x - static_cast<double>(n) * 0.015625, 0.0});
    return expReduced(n, r.hi, r.lo);
}

double exp10(double x) noexcept {
    if (x != x)
        return x;
    if (x > 309.0)
        return kInf;
    if (x < -324.0)
        return 0.0;
    const Pair z = times(kLn10, Pair{x, 0.0});
    return expPair(z.hi, z.lo);
}

double pow(double x, double y) noexcept {
    if (y == 0.0 || x == 1.0)
        return 1.0;
    if (x != x || y != y)
        return x + y;
    if (x > 0.0 && x < kInf) {
        if (y == 1.0)
            return x;
        if (y == kInf || y == -kInf)
            return x == 1.0 ? 1.0 : ((x > 1.0) == (y > 0.0) ? kInf : 0.0);
        const Pair z = times(logPairOfPositive(x), Pair{y, 0.0});
        return expPair(z.hi, z.lo);
    }
    // Zero, infinite and negative bases: the magnitude from |x|, the sign
    // from an odd integer y; a negative base with any other y has no real
    // power.
    const bool large = y >= 9007199254740992.0 || y <= -9007199254740992.0;  // 2^53 and beyond: even integers
    const bool integer = large || y - static_cast<double>(static_cast<long long>(y)) == 0.0;
    if (!integer && x < 0.0 && x > -kInf)
        return kNaN;
    const bool odd = integer && !large && (static_cast<long long>(y) & 1) != 0;
    const double ax = x < 0.0 ? -x : x;
    double magnitude;
    if (ax == 0.0)
        magnitude = y > 0.0 ? 0.0 : kInf;
    else if (ax == kInf)
        magnitude = y > 0.0 ? kInf : 0.0;
    else
        magnitude = pow(ax, y);
    return x < 0.0 && odd ? -magnitude
                          : (x == 0.0 && odd && std::bit_cast<std::uint64_t>(x) >> 63 ? -magnitude : magnitude);
}

double sin(double x) noexcept {
    const std::uint32_t ix = highWord(x) & 0x7fffffff;
    if (ix < kTiny)
        return x;
    if (ix <= kQuarterPi)
        return sinKernel(x, 0.0, false);
    if (ix >= 0x7ff00000)
        return x - x;  // NaN for infinities and NaN
    double y0, y1;
    switch (reduce(x, y0, y1) & 3) {
    case 0: return sinKernel(y0, y1, true);
    case 1: return cosKernel(y0, y1);
    case 2: return -sinKernel(y0, y1, true);
    default: return -cosKernel(y0, y1);
    }
}

double cos(double x) noexcept {
    const std::uint32_t ix = highWord(x) & 0x7fffffff;
    if (ix < kTiny)
        return 1.0;
    if (ix <= kQuarterPi)
        return cosKernel(x, 0.0);
    if (ix >= 0x7ff00000)
        return x - x;
    double y0, y1;
    switch (reduce(x, y0, y1) & 3) {
    case 0: return cosKernel(y0, y1);
    case 1: return -sinKernel(y0, y1, true);
    case 2: return -cosKernel(y0, y1);
    default: return sinKernel(y0, y1, true);
    }
}

}  // namespace kx::exact
