// Lane k holds oscillator k; the fourth lane idles at a frequency of 0, which
// never moves. What happens once in a long while (a glide lands on its
// target, a phase beyond the sample rate needs more than one turn taken off)
// is noticed by one test per sample and done lane by lane as the tracker
// does it; where the stretch's values show that no phase can need more than
// one turn, that test is left out.
#include "engine/oscillator_lanes.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define KX_OSCILLATOR_LANES_AVX2 1
#include <immintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kx::OscillatorLanes {

namespace {

#if KX_OSCILLATOR_LANES_AVX2

bool hasAvx2() noexcept
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}

// A phase below 2 pi that moves by less than pi stays below 2 pi after one
// turn off: the sum stays below 3 pi, and taking 2 pi off a value between
// 2 pi and 4 pi is exact. (A value that is not a number fails every test.)
bool withinOneTurn(double phase, double largestStep) noexcept
{
    return phase < Oscillator::kTwoPi && largestStep < Oscillator::kPi;
}

__attribute__((target("avx2"))) void storeLanes(__m256d v, double* lane0, double* lane1, double* lane2) noexcept
{
    const __m128d low = _mm256_castpd256_pd128(v);
    _mm_storel_pd(lane0, low);
    _mm_storeh_pd(lane1, low);
    _mm_storel_pd(lane2, _mm256_extractf128_pd(v, 1));
}

__attribute__((target("avx2"))) __m256d lanes(double a, double b, double c, double idle) noexcept
{
    return _mm256_setr_pd(a, b, c, idle);
}

// The moving lanes' phases after one more step: the step added, and one turn
// taken off at or above 2 pi (subtracting 0 elsewhere changes nothing).
__attribute__((target("avx2"))) __m256d turn(__m256d phase, __m256d step, __m256d moving) noexcept
{
    const __m256d twoPi = _mm256_set1_pd(Oscillator::kTwoPi);
    __m256d next = _mm256_add_pd(phase, step);
    next = _mm256_sub_pd(next, _mm256_and_pd(_mm256_cmp_pd(next, twoPi, _CMP_GE_OQ), twoPi));
    return _mm256_blendv_pd(phase, next, moving);
}

// The lanes that moved and are still at or beyond 2 pi (only above the
// sample rate) take the rest of the turns off, as the tracker's fmod does.
__attribute__((target("avx2"))) int beyondOneTurn(__m256d phase, __m256d moving) noexcept
{
    return _mm256_movemask_pd(
        _mm256_and_pd(moving, _mm256_cmp_pd(phase, _mm256_set1_pd(Oscillator::kTwoPi), _CMP_GE_OQ)));
}

__attribute__((target("avx2"), noinline)) __m256d reduceTurns(__m256d phase, int beyond) noexcept
{
    alignas(32) double p[4];
    _mm256_store_pd(p, phase);
    for (int k = 0; k < 4; ++k)
        if (beyond & (1 << k))
            p[k] = std::fmod(p[k], Oscillator::kTwoPi);
    return _mm256_load_pd(p);
}

template <bool kChecked>
__attribute__((target("avx2"))) __m256d phaseLoop(__m256d phase, __m256d step, __m256d moving, double* p0,
                                                  double* p1, double* p2, int count) noexcept
{
    for (int i = 0; i < count; ++i) {
        phase = turn(phase, step, moving);
        if (kChecked)
            if (const int beyond = beyondOneTurn(phase, moving))
                phase = reduceTurns(phase, beyond);
        storeLanes(phase, p0 + i, p1 + i, p2 + i);
    }
    return phase;
}

__attribute__((target("avx2"))) void phasesAvx2(Oscillator::PhaseTracker (&t)[kCount], int count) noexcept
{
    bool within = true;
    for (const Oscillator::PhaseTracker& tracker : t)
        within = within && (!tracker.moves || withinOneTurn(tracker.phase, tracker.step));
    const __m256d step = lanes(t[0].step, t[1].step, t[2].step, 0.0);
    const __m256d moving = _mm256_castsi256_pd(
        _mm256_setr_epi64x(-std::int64_t{t[0].moves}, -std::int64_t{t[1].moves}, -std::int64_t{t[2].moves}, 0));
    __m256d phase = lanes(t[0].phase, t[1].phase, t[2].phase, 0.0);
    phase = within ? phaseLoop<false>(phase, step, moving, t[0].phases, t[1].phases, t[2].phases, count)
                   : phaseLoop<true>(phase, step, moving, t[0].phases, t[1].phases, t[2].phases, count);
    alignas(32) double p[4];
    _mm256_store_pd(p, phase);
    for (int k = 0; k < kCount; ++k)
        t[k].phase = p[k];
}

// The largest step a pitch tracker can take in its stretch, or not a number
// when its values allow no bound. From positive values a glide only moves
// toward its target and stops there, so no frequency passes the larger of
// its start and its target; rounding keeps that order through the product
// and the step.
double largestStep(const Oscillator::PitchTracker& t) noexcept
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const bool glides = t.glideRatio != 1.0;
    if (!(t.currentFreq >= 0.0 && t.factor >= 0.0 && t.sampleRate > 0.0))
        return nan;
    if (glides && !(t.glideRatio >= 0.0 && t.targetFreq >= 0.0))
        return nan;
    const double highest = glides ? std::max(t.currentFreq, t.targetFreq) : t.currentFreq;
    return t.factor * highest * Oscillator::kTwoPi / t.sampleRate;
}

template <bool kChecked>
__attribute__((target("avx2"))) void pitchLoop(Oscillator::PitchTracker (&t)[kCount], int count) noexcept
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d twoPi = _mm256_set1_pd(Oscillator::kTwoPi);
    __m256d freq = lanes(t[0].currentFreq, t[1].currentFreq, t[2].currentFreq, 0.0);
    __m256d ratio = lanes(t[0].glideRatio, t[1].glideRatio, t[2].glideRatio, 1.0);
    const __m256d target = lanes(t[0].targetFreq, t[1].targetFreq, t[2].targetFreq, 0.0);
    const __m256d factor = lanes(t[0].factor, t[1].factor, t[2].factor, 0.0);
    const __m256d rate = lanes(t[0].sampleRate, t[1].sampleRate, t[2].sampleRate, 1.0);
    __m256d phase = lanes(t[0].phase, t[1].phase, t[2].phase, 0.0);
    __m256d falling = _mm256_cmp_pd(ratio, one, _CMP_LT_OQ);
    __m256d rising = _mm256_cmp_pd(ratio, one, _CMP_GT_OQ);
    double* const f0 = t[0].freqs;
    double* const f1 = t[1].freqs;
    double* const f2 = t[2].freqs;
    double* const p0 = t[0].phases;
    double* const p1 = t[1].phases;
    double* const p2 = t[2].phases;
    for (int i = 0; i < count; ++i) {
        // A ratio of exactly 1 leaves the frequency as it is, as skipping
        // the multiplication would.
        freq = _mm256_mul_pd(freq, ratio);
        const __m256d reached = _mm256_or_pd(_mm256_and_pd(falling, _mm256_cmp_pd(freq, target, _CMP_LE_OQ)),
                                             _mm256_and_pd(rising, _mm256_cmp_pd(freq, target, _CMP_GE_OQ)));
        if (_mm256_movemask_pd(reached) != 0) {
            freq = _mm256_blendv_pd(freq, target, reached);
            ratio = _mm256_blendv_pd(ratio, one, reached);
            falling = _mm256_andnot_pd(reached, falling);
            rising = _mm256_andnot_pd(reached, rising);
        }
        const __m256d f = _mm256_mul_pd(factor, freq);
        const __m256d moving = _mm256_cmp_pd(f, zero, _CMP_GT_OQ);
        phase = turn(phase, _mm256_div_pd(_mm256_mul_pd(f, twoPi), rate), moving);
        if (kChecked)
            if (const int beyond = beyondOneTurn(phase, moving))
                phase = reduceTurns(phase, beyond);
        storeLanes(f, f0 + i, f1 + i, f2 + i);
        storeLanes(phase, p0 + i, p1 + i, p2 + i);
    }
    alignas(32) double f[4], r[4], p[4];
    _mm256_store_pd(f, freq);
    _mm256_store_pd(r, ratio);
    _mm256_store_pd(p, phase);
    for (int k = 0; k < kCount; ++k) {
        t[k].currentFreq = f[k];
        t[k].glideRatio = r[k];
        t[k].phase = p[k];
    }
}

void pitchesAvx2(Oscillator::PitchTracker (&t)[kCount], int count) noexcept
{
    bool within = true;
    for (const Oscillator::PitchTracker& tracker : t)
        within = within && withinOneTurn(tracker.phase, largestStep(tracker));
    if (within)
        pitchLoop<false>(t, count);
    else
        pitchLoop<true>(t, count);
}

#endif

} // namespace

bool vectorised() noexcept
{
#if KX_OSCILLATOR_LANES_AVX2
    return hasAvx2();
#else
    return false;
#endif
}

void trackPitches(Oscillator::PitchTracker (&t)[kCount], int count) noexcept
{
#if KX_OSCILLATOR_LANES_AVX2
    if (hasAvx2())
        return pitchesAvx2(t, count);
#endif
    for (int i = 0; i < count; ++i)
        for (Oscillator::PitchTracker& tracker : t)
            tracker.track(i);
}

void trackPhases(Oscillator::PhaseTracker (&t)[kCount], int count) noexcept
{
#if KX_OSCILLATOR_LANES_AVX2
    if (hasAvx2())
        return phasesAvx2(t, count);
#endif
    for (int i = 0; i < count; ++i)
        for (Oscillator::PhaseTracker& tracker : t)
            tracker.track(i);
}

} // namespace kx::OscillatorLanes
