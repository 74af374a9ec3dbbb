// A generator step waits for the one before it, so drawn one after another
// the four draws of each sample cost four multiply-add latencies in a row.
// Here the stretch is cut into eight runs of consecutive samples, each with
// its own generator jumped ahead to the run's first draw; the eight step side
// by side in vector lanes, and each draw lands where the sequential order
// puts it. The scaling to doubles is the same single multiplication.
#include "engine/voice_draws.h"

#include "engine/cpu_path.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace kx {

namespace {

constexpr int kLanes = 8;
// Below this run length the jumps cost more than stepping in turn.
constexpr int kMinRun = 4;

#if defined(__SSE2__)

// Four generator halves side by side. A lane's low 16 bits times the
// multiplier come from the 16-bit multiplies (low and high halves of the
// product); the high 16 bits, the carry, meet a zero there and are added
// on their own: a * (s & 65535) + (s >> 16) in every lane.
struct HalfLanes {
    __m128i s;

    void step(__m128i multiplier) noexcept {
        const __m128i low = _mm_mullo_epi16(s, multiplier);
        const __m128i high = _mm_mulhi_epu16(s, multiplier);
        s = _mm_add_epi32(_mm_add_epi32(low, _mm_slli_epi32(high, 16)), _mm_srli_epi32(s, 16));
    }
};

// Four lanes of the whole generator: z, w and the draw (z << 16) + (w & 65535).
struct GeneratorLanes {
    HalfLanes z, w;

    GeneratorLanes(const RandomGenerator (&g)[4]) noexcept
        : z{_mm_setr_epi32(static_cast<int>(g[0].z), static_cast<int>(g[1].z), static_cast<int>(g[2].z),
                           static_cast<int>(g[3].z))},
          w{_mm_setr_epi32(static_cast<int>(g[0].w), static_cast<int>(g[1].w), static_cast<int>(g[2].w),
                           static_cast<int>(g[3].w))} {}

    __m128i next() noexcept {
        z.step(_mm_set1_epi32(RandomGenerator::kMultiplierZ));
        w.step(_mm_set1_epi32(RandomGenerator::kMultiplierW));
        return _mm_add_epi32(_mm_slli_epi32(z.s, 16), _mm_and_si128(w.s, _mm_set1_epi32(65535)));
    }
};

// The four lanes' draws as doubles, lane j to out[j * stride]. A draw read
// as unsigned is its signed reading plus 2^32 when negative; shifting by
// 2^31 first keeps the conversion signed and every value exact.
void storeBipolar(__m128i draws, double* out, int stride) noexcept {
    const __m128d scale = _mm_set1_pd(RandomGenerator::kBipolarScale);
    const __m128d low = _mm_mul_pd(_mm_cvtepi32_pd(draws), scale);
    const __m128d high = _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(draws, 0x0E)), scale);
    _mm_storel_pd(out, low);
    _mm_storeh_pd(out + stride, low);
    _mm_storel_pd(out + 2 * stride, high);
    _mm_storeh_pd(out + 3 * stride, high);
}

void storeUnipolar(__m128i draws, double* out, int stride) noexcept {
    const __m128d scale = _mm_set1_pd(RandomGenerator::kUnipolarScale);
    const __m128d half = _mm_set1_pd(2147483648.0);
    const __m128i shifted = _mm_xor_si128(draws, _mm_set1_epi32(static_cast<int>(0x80000000u)));
    const __m128d low = _mm_mul_pd(_mm_add_pd(_mm_cvtepi32_pd(shifted), half), scale);
    const __m128d high = _mm_mul_pd(_mm_add_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(shifted, 0x0E)), half), scale);
    _mm_storel_pd(out, low);
    _mm_storeh_pd(out + stride, low);
    _mm_storel_pd(out + 2 * stride, high);
    _mm_storeh_pd(out + 3 * stride, high);
}

// Runs of `run` samples from lane starts g[0..7], sample t of run j to index
// j * run + t.
void fillRunsSse2(VoiceDraws& d, const RandomGenerator (&g)[kLanes], int run) noexcept {
    GeneratorLanes a({g[0], g[1], g[2], g[3]});
    GeneratorLanes b({g[4], g[5], g[6], g[7]});
    const int half = 4 * run;  // where lanes 4..7 start
    for (int t = 0; t < run; ++t) {
        storeBipolar(a.next(), d.noise1 + t, run);
        storeBipolar(b.next(), d.noise1 + half + t, run);
        storeBipolar(a.next(), d.noise2 + t, run);
        storeBipolar(b.next(), d.noise2 + half + t, run);
        storeBipolar(a.next(), d.noise3 + t, run);
        storeBipolar(b.next(), d.noise3 + half + t, run);
        storeUnipolar(a.next(), d.offset + t, run);
        storeUnipolar(b.next(), d.offset + half + t, run);
    }
}

#if KX_AVX2_CODE

// The same with all eight lanes in one AVX2 register.
__attribute__((target("avx2"))) __m256i stepLanes8(__m256i s, __m256i multiplier) noexcept {
    const __m256i low = _mm256_mullo_epi16(s, multiplier);
    const __m256i high = _mm256_mulhi_epu16(s, multiplier);
    return _mm256_add_epi32(_mm256_add_epi32(low, _mm256_slli_epi32(high, 16)), _mm256_srli_epi32(s, 16));
}

__attribute__((target("avx2"))) void store8(__m256d low, __m256d high, double* out, int stride) noexcept {
    const __m128d l0 = _mm256_castpd256_pd128(low), l1 = _mm256_extractf128_pd(low, 1);
    const __m128d h0 = _mm256_castpd256_pd128(high), h1 = _mm256_extractf128_pd(high, 1);
    _mm_storel_pd(out, l0);
    _mm_storeh_pd(out + stride, l0);
    _mm_storel_pd(out + 2 * stride, l1);
    _mm_storeh_pd(out + 3 * stride, l1);
    _mm_storel_pd(out + 4 * stride, h0);
    _mm_storeh_pd(out + 5 * stride, h0);
    _mm_storel_pd(out + 6 * stride, h1);
    _mm_storeh_pd(out + 7 * stride, h1);
}

struct Lanes8 {
    __m256i z, w;

    __attribute__((target("avx2"))) __m256i next() noexcept {
        z = stepLanes8(z, _mm256_set1_epi32(RandomGenerator::kMultiplierZ));
        w = stepLanes8(w, _mm256_set1_epi32(RandomGenerator::kMultiplierW));
        return _mm256_add_epi32(_mm256_slli_epi32(z, 16), _mm256_and_si256(w, _mm256_set1_epi32(65535)));
    }

    __attribute__((target("avx2"))) void bipolar(double* out, int stride) noexcept {
        const __m256d scale = _mm256_set1_pd(RandomGenerator::kBipolarScale);
        const __m256i draws = next();
        store8(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(draws)), scale),
               _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(draws, 1)), scale), out, stride);
    }

    __attribute__((target("avx2"))) void unipolar(double* out, int stride) noexcept {
        const __m256d scale = _mm256_set1_pd(RandomGenerator::kUnipolarScale);
        const __m256d half = _mm256_set1_pd(2147483648.0);
        const __m256i shifted = _mm256_xor_si256(next(), _mm256_set1_epi32(static_cast<int>(0x80000000u)));
        store8(_mm256_mul_pd(_mm256_add_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(shifted)), half), scale),
               _mm256_mul_pd(_mm256_add_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(shifted, 1)), half), scale), out,
               stride);
    }
};

__attribute__((target("avx2"))) void fillRunsAvx2(VoiceDraws& d, const RandomGenerator (&g)[kLanes], int run) noexcept {
    Lanes8 lanes{_mm256_setr_epi32(static_cast<int>(g[0].z), static_cast<int>(g[1].z), static_cast<int>(g[2].z),
                                   static_cast<int>(g[3].z), static_cast<int>(g[4].z), static_cast<int>(g[5].z),
                                   static_cast<int>(g[6].z), static_cast<int>(g[7].z)),
                 _mm256_setr_epi32(static_cast<int>(g[0].w), static_cast<int>(g[1].w), static_cast<int>(g[2].w),
                                   static_cast<int>(g[3].w), static_cast<int>(g[4].w), static_cast<int>(g[5].w),
                                   static_cast<int>(g[6].w), static_cast<int>(g[7].w))};
    for (int t = 0; t < run; ++t) {
        lanes.bipolar(d.noise1 + t, run);
        lanes.bipolar(d.noise2 + t, run);
        lanes.bipolar(d.noise3 + t, run);
        lanes.unipolar(d.offset + t, run);
    }
}

void fillRuns(VoiceDraws& d, const RandomGenerator (&g)[kLanes], int run) noexcept {
    if (cpuPath() == CpuPath::avx2)
        fillRunsAvx2(d, g, run);
    else
        fillRunsSse2(d, g, run);
}

#else

void fillRuns(VoiceDraws& d, const RandomGenerator (&g)[kLanes], int run) noexcept { fillRunsSse2(d, g, run); }

#endif

#else

void fillRuns(VoiceDraws& d, const RandomGenerator (&g)[kLanes], int run) noexcept {
    for (int j = 0; j < kLanes; ++j) {
        RandomGenerator lane = g[j];
        for (int i = j * run; i < (j + 1) * run; ++i) {
            d.noise1[i] = lane.bipolar();
            d.noise2[i] = lane.bipolar();
            d.noise3[i] = lane.bipolar();
            d.offset[i] = lane.unipolar();
        }
    }
}

#endif

}  // namespace

void VoiceDraws::fill(RandomGenerator random, int count) noexcept {
    const int run = count / kLanes >= kMinRun ? count / kLanes : 0;
    if (run > 0) {
        RandomGenerator starts[kLanes];
        const RandomJump nextRun(static_cast<std::uint64_t>(run) * kPerSample);
        for (RandomGenerator& start : starts) {
            start = random;
            random = nextRun(random);
        }
        fillRuns(*this, starts, run);
    }
    // What the runs leave over, in turn from where the last run ends.
    for (int i = kLanes * run; i < count; ++i) {
        noise1[i] = random.bipolar();
        noise2[i] = random.bipolar();
        noise3[i] = random.bipolar();
        offset[i] = random.unipolar();
    }
}

}  // namespace kx
