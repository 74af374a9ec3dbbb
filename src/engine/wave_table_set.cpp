#include "engine/wave_table_set.h"

#include "engine/cpu_path.h"
#include "engine/exact_math.h"

#if KX_AVX2_CODE
#include <immintrin.h>
#endif

#include <bit>
#include <cstdint>
#include <vector>

namespace kx {

namespace {
constexpr double kInvTableSize = 0.00048828125;  // 1/2048
constexpr double kInvLn2 = 1.4426950408889634;
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kFourOverPi = 1.2732395447351628;
constexpr double kEightOverPiSquared = 0.8105694691387022;
}  // namespace

const WaveTableSet& WaveTableSet::instance() {
    // Lives in static storage, never on the heap, and is built exactly once;
    // its pages are touched only then.
    static const WaveTableSet set;
    built_.store(&set, std::memory_order_release);
    return set;
}

// Every level accumulates its harmonics in increasing order from zero, so the
// running sums of level t are the first terms of level t+1's: one accumulator
// per sample, copied out whenever k reaches a power of two, gives the same
// bits as summing each level separately.
WaveTableSet::WaveTableSet() {
    std::vector<double> triangle(kSize, 0.0);
    std::vector<double> square(kSize, 0.0);
    std::vector<double> sawtooth(kSize, 0.0);
    int nextLevel = 0;
    for (int k = 1; k <= kMaxHarmonic; ++k) {
        const double invK = 1.0 / k;
        const bool odd = (k & 1) != 0;
        const double sign = (((k - 1) / 2) % 2 == 0) ? 1.0 : -1.0;
        const double invKSquared = 1.0 / (k * k);
        for (int j = 0; j < kSize; ++j) {
            const double s = exact::sin(j * kTwoPi * kInvTableSize * k);
            sawtooth[j] += invK * kTwoOverPi * s;
            if (odd) {
                square[j] += invK * kFourOverPi * s;
                triangle[j] += invKSquared * (sign * kEightOverPiSquared) * s;
            }
        }
        if (k == (1 << nextLevel)) {
            for (int t = nextLevel; t < kLevels && (t == nextLevel || k == kMaxHarmonic); ++t) {
                for (int j = 0; j < kSize; ++j) {
                    data_[Triangle][t][j] = triangle[j];
                    data_[Square][t][j] = square[j];
                    data_[Sawtooth][t][j] = sawtooth[j];
                }
            }
            ++nextLevel;
        }
    }
    for (int table = 0; table < kTables; ++table)
        for (int level = 0; level < kLevels; ++level)
            for (int n = 0; n < kSize; ++n)
                segments_[table][level][n] = segmentAt(data_[table][level], n);
}

WaveTableSet::Segment WaveTableSet::segmentAt(const double* y, int n) noexcept {
    const double ym1 = y[(n - 1) & kMask];
    const double y0 = y[n & kMask];
    const double y1 = y[(n + 1) & kMask];
    const double y2 = y[(n + 2) & kMask];
    const double c1 = (y1 - ym1) * 0.5;
    const double c3 = (y0 - y1) * 1.5 + (y2 - ym1) * 0.5;
    const double c2 = ym1 - y0 + c1 - c3;
    return Segment{y0, c1, c2, c3};
}

double WaveTableSet::levelPosition(double frequency) noexcept { return exact::log(20000.0 / frequency) * kInvLn2; }

void WaveTableSet::splitLevel(double position, int& level, double& fraction) noexcept {
    if (position >= kLevels - 1) {
        level = kLevels - 1;
        fraction = 0.0;
    } else if (position > -1.0) {
        level = static_cast<int>(position);  // toward zero: 0 between 20 and 40 kHz
        fraction = position - level;
    } else {
        // Above 40 kHz (or a position that is not a number): silent anyway
        // through the loudness curve; only stay inside the tables.
        level = 0;
        fraction = 0.0;
    }
}

double WaveTableSet::readBandLimited(int table, double phase, double frequency) const noexcept {
    int level;
    double fraction;
    splitLevel(levelPosition(frequency), level, fraction);
    return readAtLevel(table, phase, level, fraction);
}

}  // namespace kx

namespace kx {

namespace {

#if KX_AVX2_CODE

// Four samples at a time: each sample's segment (y0, c1, c2, c3) loaded
// whole and the four turned into one register per coefficient, then the
// cubic in the scalar order, lane by lane.
struct Segments4 {
    __attribute__((target("avx2"))) static __m256d cubic(const double* s0, const double* s1, const double* s2,
                                                         const double* s3, __m256d t) noexcept {
        const __m256d r0 = _mm256_loadu_pd(s0), r1 = _mm256_loadu_pd(s1);
        const __m256d r2 = _mm256_loadu_pd(s2), r3 = _mm256_loadu_pd(s3);
        const __m256d lo01 = _mm256_unpacklo_pd(r0, r1),
                      hi01 = _mm256_unpackhi_pd(r0, r1);  // y0 y0 c2 c2 / c1 c1 c3 c3
        const __m256d lo23 = _mm256_unpacklo_pd(r2, r3), hi23 = _mm256_unpackhi_pd(r2, r3);
        const __m256d y0 = _mm256_permute2f128_pd(lo01, lo23, 0x20);
        const __m256d c2 = _mm256_permute2f128_pd(lo01, lo23, 0x31);
        const __m256d c1 = _mm256_permute2f128_pd(hi01, hi23, 0x20);
        const __m256d c3 = _mm256_permute2f128_pd(hi01, hi23, 0x31);
        return _mm256_add_pd(
            _mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(c3, t), c2), t), c1), t), y0);
    }
};

#endif

}  // namespace

// The branch on the level is taken once for the stretch, so the loop holds
// the arithmetic alone.
void WaveTableSet::readStretch(int table, const double* phases, double* out, int count, int level,
                               double fraction) const noexcept {
    const bool blends = level < kLevels - 1;
    const Segment* lower = segments_[table][blends ? level : kLevels - 1];
    const Segment* upper = segments_[table][blends ? level + 1 : kLevels - 1];
    int i = 0;
#if KX_AVX2_CODE
    if (cpuPath() == CpuPath::avx2)
        i = readStretchAvx2(lower, upper, blends, phases, out, count, fraction);
#endif
    for (; i < count; ++i) {
        const double pos = phases[i] * kSize * kInvTwoPi;
        const int n = static_cast<int>(pos);
        const double t = pos - n;
        const double a = hermite(lower, n, t);
        out[i] = blends ? a + (hermite(upper, n, t) - a) * fraction : a;
    }
}

int WaveTableSet::readGliding(int table, const double* phases, const double* freqs, double* out,
                              int count) const noexcept {
#if KX_AVX2_CODE
    if (cpuPath() == CpuPath::avx2)
        return readGlidingAvx2(segments_[table][0], phases, freqs, out, count);
#else
    (void)table, (void)phases, (void)freqs, (void)out, (void)count;
#endif
    return 0;
}

#if KX_AVX2_CODE

namespace {

// Constants as whole registers in memory, which the arithmetic reads as an
// operand: no broadcast per use once the registers run short. A double
// constant is named by its bits (clang takes no double as a template
// argument before version 18).
struct alignas(32) Integers4 {
    std::int64_t v[4];
};
template <std::int64_t kValue>
inline constexpr Integers4 kIntegers{{kValue, kValue, kValue, kValue}};

constexpr std::int64_t bitsOf(double value) noexcept { return std::bit_cast<std::int64_t>(value); }

template <std::int64_t kValue>
__attribute__((target("avx2"))) __m256i lanes64() noexcept {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(kIntegers<kValue>.v));
}
template <std::int64_t kBits>
__attribute__((target("avx2"))) __m256d c() noexcept {
    return _mm256_castsi256_pd(lanes64<kBits>());
}

// exact::detail::logNormal in four lanes, operation for operation; x
// positive, normal and finite in every lane.
__attribute__((target("avx2"))) __m256d logLanes(__m256d x) noexcept {
    using namespace exact::detail;
    const __m256i bits = _mm256_castpd_si256(x);
    const __m256i hx = _mm256_srli_epi64(bits, 32);  // the sign is 0
    const __m256i fraction = _mm256_and_si256(hx, lanes64<0x000fffff>());
    const __m256i carry = _mm256_and_si256(_mm256_add_epi64(fraction, lanes64<0x95f64>()), lanes64<0x100000>());
    const __m256i k =
        _mm256_add_epi64(_mm256_sub_epi64(_mm256_srli_epi64(hx, 20), lanes64<1023>()), _mm256_srli_epi64(carry, 20));
    const __m256i mHigh = _mm256_or_si256(fraction, _mm256_xor_si256(carry, lanes64<0x3ff00000>()));
    const __m256d m = _mm256_castsi256_pd(
        _mm256_or_si256(_mm256_slli_epi64(mHigh, 32), _mm256_and_si256(bits, lanes64<0xffffffff>())));
    // k as a double, exactly: the integer added to the bits of 2^52 + 2^51.
    const __m256d magic = c<bitsOf(6755399441055744.0)>();
    const __m256d dk = _mm256_sub_pd(_mm256_castsi256_pd(_mm256_add_epi64(k, _mm256_castpd_si256(magic))), magic);
    const __m256d f = _mm256_sub_pd(m, c<bitsOf(1.0)>());
    const __m256d s = _mm256_div_pd(f, _mm256_add_pd(c<bitsOf(2.0)>(), f));
    const __m256d z = _mm256_mul_pd(s, s);
    const __m256d w = _mm256_mul_pd(z, z);
    const __m256d t1 = _mm256_mul_pd(
        w, _mm256_add_pd(c<bitsOf(kLg2)>(),
                         _mm256_mul_pd(w, _mm256_add_pd(c<bitsOf(kLg4)>(), _mm256_mul_pd(w, c<bitsOf(kLg6)>())))));
    const __m256d t2 = _mm256_mul_pd(
        z, _mm256_add_pd(
               c<bitsOf(kLg1)>(),
               _mm256_mul_pd(w, _mm256_add_pd(c<bitsOf(kLg3)>(),
                                              _mm256_mul_pd(w, _mm256_add_pd(c<bitsOf(kLg5)>(),
                                                                             _mm256_mul_pd(w, c<bitsOf(kLg7)>())))))));
    const __m256d r = _mm256_add_pd(t2, t1);
    const __m256d hfsq = _mm256_mul_pd(_mm256_mul_pd(c<bitsOf(0.5)>(), f), f);
    const __m256d highK = _mm256_mul_pd(dk, c<bitsOf(kLn2Hi)>());
    const __m256d lowK = _mm256_mul_pd(dk, c<bitsOf(kLn2Lo)>());
    const __m256d wide = _mm256_sub_pd(
        highK, _mm256_sub_pd(_mm256_sub_pd(hfsq, _mm256_add_pd(_mm256_mul_pd(s, _mm256_add_pd(hfsq, r)), lowK)), f));
    const __m256d narrow =
        _mm256_sub_pd(highK, _mm256_sub_pd(_mm256_sub_pd(_mm256_mul_pd(s, _mm256_sub_pd(f, r)), lowK), f));
    const __m256i choice =
        _mm256_or_si256(_mm256_sub_epi64(fraction, lanes64<0x6147a>()), _mm256_sub_epi64(lanes64<0x6b851>(), fraction));
    return _mm256_blendv_pd(narrow, wide, _mm256_castsi256_pd(_mm256_cmpgt_epi64(choice, _mm256_setzero_si256())));
}

}  // namespace

namespace {

// The Hermite cubic of four segments, y0 c1 c2 c3 at index[k] .. index[k] + 3
// of `base` for lane k, in the scalar order.
__attribute__((target("avx2"))) __m256d cubicAt(const double* base, __m128i index, __m256d t) noexcept {
    // Every lane gathered (the masked form, which needs no undefined start).
    const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    const __m256d none = _mm256_setzero_pd();
    const __m256d y0 = _mm256_mask_i32gather_pd(none, base, index, all, 8);
    const __m256d c1 = _mm256_mask_i32gather_pd(none, base + 1, index, all, 8);
    const __m256d c2 = _mm256_mask_i32gather_pd(none, base + 2, index, all, 8);
    const __m256d c3 = _mm256_mask_i32gather_pd(none, base + 3, index, all, 8);
    return _mm256_add_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(c3, t), c2), t), c1), t),
                         y0);
}

}  // namespace

// Level positions, as levelPosition and splitLevel compute them; then the
// reads of readAtLevel with each lane's level, the level above it clamped to
// the last (whose blend the last level's lanes leave out).
__attribute__((target("avx2"))) int WaveTableSet::readGlidingAvx2(const Segment* levels, const double* phases,
                                                                  const double* freqs, double* out,
                                                                  int count) noexcept {
    // Two passes over each run of samples, the level positions and then the
    // reads: each pass's chain per four samples is short enough that the
    // processor overlaps several of them.
    constexpr int kRun = 64;
    const __m256d last = c<bitsOf(double(kLevels - 1))>();
    alignas(32) double positions[kRun];
    int done = 0;
    while (done + 4 <= count) {
        const int run = count - done < kRun ? (count - done) / 4 * 4 : kRun;
        int ready = 0;
        for (; ready < run; ready += 4) {
            const __m256d x = _mm256_div_pd(c<bitsOf(20000.0)>(), _mm256_loadu_pd(freqs + done + ready));
            const __m256d normal = _mm256_and_pd(_mm256_cmp_pd(x, c<bitsOf(2.2250738585072014e-308)>(), _CMP_GE_OQ),
                                                 _mm256_cmp_pd(x, c<bitsOf(1.7976931348623157e308)>(), _CMP_LE_OQ));
            if (_mm256_movemask_pd(normal) != 0xf)
                break;
            _mm256_store_pd(positions + ready, _mm256_mul_pd(logLanes(x), c<bitsOf(kInvLn2)>()));
        }
        for (int k = 0; k < ready; k += 4) {
            const int i = done + k;
            const __m256d position = _mm256_load_pd(positions + k);
            const __m256d top = _mm256_cmp_pd(position, last, _CMP_GE_OQ);
            const __m256d inside = _mm256_andnot_pd(top, _mm256_cmp_pd(position, c<bitsOf(-1.0)>(), _CMP_GT_OQ));
            const __m256d whole = _mm256_round_pd(position, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
            const __m256d levelValue = _mm256_blendv_pd(_mm256_and_pd(inside, whole), last, top);
            const __m256d fraction = _mm256_and_pd(inside, _mm256_sub_pd(position, whole));
            const __m128i level = _mm256_cvttpd_epi32(levelValue);
            const __m128i upper = _mm_min_epi32(_mm_add_epi32(level, _mm_set1_epi32(1)), _mm_set1_epi32(kLevels - 1));

            const __m256d pos = _mm256_mul_pd(_mm256_mul_pd(_mm256_loadu_pd(phases + i), c<bitsOf(double(kSize))>()),
                                              c<bitsOf(kInvTwoPi)>());
            const __m128i n = _mm256_cvttpd_epi32(pos);
            const __m256d t = _mm256_sub_pd(pos, _mm256_cvtepi32_pd(n));
            // Each lane's segment, four doubles from (level x kSize + n) x 4.
            static_assert(kSize == 1 << 11 && sizeof(Segment) == 4 * sizeof(double));
            const __m128i within = _mm_and_si128(n, _mm_set1_epi32(kMask));
            const __m128i low = _mm_slli_epi32(_mm_add_epi32(_mm_slli_epi32(level, 11), within), 2);
            const __m128i high = _mm_slli_epi32(_mm_add_epi32(_mm_slli_epi32(upper, 11), within), 2);
            const __m256d a = cubicAt(&levels[0].y0, low, t);
            const __m256d b = cubicAt(&levels[0].y0, high, t);
            const __m256d blended = _mm256_add_pd(a, _mm256_mul_pd(_mm256_sub_pd(b, a), fraction));
            _mm256_storeu_pd(out + i, _mm256_blendv_pd(blended, a, top));
        }
        done += ready;
        if (ready < run)
            break;
    }
    return done;
}

__attribute__((target("avx2"))) int WaveTableSet::readStretchAvx2(const Segment* lower, const Segment* upper,
                                                                  bool blends, const double* phases, double* out,
                                                                  int count, double fraction) noexcept {
    static_assert(sizeof(Segment) == 4 * sizeof(double));
    const __m256d scale = _mm256_set1_pd(static_cast<double>(kSize));
    const __m256d invTwoPi = _mm256_set1_pd(kInvTwoPi);
    const __m256d blend = _mm256_set1_pd(fraction);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m256d pos = _mm256_mul_pd(_mm256_mul_pd(_mm256_loadu_pd(phases + i), scale), invTwoPi);
        const __m128i n = _mm256_cvttpd_epi32(pos);
        const __m256d t = _mm256_sub_pd(pos, _mm256_cvtepi32_pd(n));
        alignas(16) int index[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_and_si128(n, _mm_set1_epi32(kMask)));
        const __m256d a =
            Segments4::cubic(&lower[index[0]].y0, &lower[index[1]].y0, &lower[index[2]].y0, &lower[index[3]].y0, t);
        if (blends) {
            const __m256d b =
                Segments4::cubic(&upper[index[0]].y0, &upper[index[1]].y0, &upper[index[2]].y0, &upper[index[3]].y0, t);
            _mm256_storeu_pd(out + i, _mm256_add_pd(a, _mm256_mul_pd(_mm256_sub_pd(b, a), blend)));
        } else {
            _mm256_storeu_pd(out + i, a);
        }
    }
    return i;
}

#endif

}  // namespace kx
