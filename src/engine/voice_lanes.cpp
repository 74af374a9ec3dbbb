// Lane k < 3 holds oscillator k, the fourth lane the LFO (or idles at a
// standstill). The LFO's phase is a turn of 1 where the oscillators' is a turn
// of 2 pi, and it always moves, so each lane carries its turn and whether it
// moves. What happens once in a long while (a glide lands on its target, a
// phase needs more than one turn taken off) is noticed by one test per sample
// and done lane by lane as the tracker does it; where the stretch's values
// show that no phase can need more than one turn, that test is left out.
#include "engine/voice_lanes.h"

#include "engine/cpu_path.h"

#if KX_AVX2_CODE
#include <immintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kx::VoiceLanes {

namespace {

#if KX_AVX2_CODE

constexpr int kLfoLane = 3;

// A phase below its turn that moves by less than half a turn stays below the
// turn after one turn off: the sum stays below one and a half turns, and
// taking a turn off a value between one and two turns is exact. (A value
// that is not a number fails every test.)
bool withinOneTurn(double phase, double largestStep, double turn) noexcept {
    return phase < turn && largestStep < 0.5 * turn;
}

bool lfoWithinOneTurn(const Lfo::PhaseTracker* lfo) noexcept {
    return !lfo || withinOneTurn(lfo->phase, lfo->increment, 1.0);
}

// What the lanes hold that does not change through the stretch.
struct LaneSet {
    __m256d turn;    // 2 pi, or 1 for the LFO
    __m256d always;  // lanes that move whatever their step (the LFO)

    __attribute__((target("avx2"))) explicit LaneSet(const Lfo::PhaseTracker* lfo) noexcept
        : turn(_mm256_setr_pd(kTwoPi, kTwoPi, kTwoPi, lfo ? 1.0 : kTwoPi)),
          always(_mm256_castsi256_pd(_mm256_setr_epi64x(0, 0, 0, lfo ? -1 : 0))) {}
};

__attribute__((target("avx2"))) __m256d lanes(double a, double b, double c, double d) noexcept {
    return _mm256_setr_pd(a, b, c, d);
}

// The moving lanes' phases after one more step: the step added, and one turn
// taken off at or above a turn (subtracting 0 elsewhere changes nothing).
__attribute__((target("avx2"))) __m256d turnLanes(__m256d phase, __m256d step, __m256d moving, __m256d turn) noexcept {
    __m256d next = _mm256_add_pd(phase, step);
    next = _mm256_sub_pd(next, _mm256_and_pd(_mm256_cmp_pd(next, turn, _CMP_GE_OQ), turn));
    return _mm256_blendv_pd(phase, next, moving);
}

// The moving lanes still at or beyond a turn (a step of more than half a
// turn), as a bit mask.
__attribute__((target("avx2"))) int beyondOneTurn(__m256d phase, __m256d moving, __m256d turn) noexcept {
    return _mm256_movemask_pd(_mm256_and_pd(moving, _mm256_cmp_pd(phase, turn, _CMP_GE_OQ)));
}

// The rest of the turns off, as each tracker does it.
__attribute__((target("avx2"), noinline)) __m256d reduceTurns(__m256d phase, int beyond) noexcept {
    alignas(32) double p[4];
    _mm256_store_pd(p, phase);
    for (int k = 0; k < 4; ++k) {
        if (beyond & (1 << k))
            p[k] = k == kLfoLane ? p[k] - std::floor(p[k]) : std::fmod(p[k], kTwoPi);
    }
    return _mm256_load_pd(p);
}

// Where each lane's values go, sample by sample.
struct Outputs {
    double* lane[4];

    template <bool kLfo>
    __attribute__((target("avx2"))) void store(__m256d v, int i) const noexcept {
        const __m128d low = _mm256_castpd256_pd128(v);
        const __m128d high = _mm256_extractf128_pd(v, 1);
        _mm_storel_pd(lane[0] + i, low);
        _mm_storeh_pd(lane[1] + i, low);
        _mm_storel_pd(lane[2] + i, high);
        if (kLfo)
            _mm_storeh_pd(lane[3] + i, high);
    }

    // Four samples' lanes (v[j] holds sample i + j), turned into four
    // samples per lane.
    template <bool kLfo>
    __attribute__((target("avx2"))) void store4(const __m256d (&v)[4], int i) const noexcept {
        const __m256d low01 = _mm256_unpacklo_pd(v[0], v[1]), high01 = _mm256_unpackhi_pd(v[0], v[1]);
        const __m256d low23 = _mm256_unpacklo_pd(v[2], v[3]), high23 = _mm256_unpackhi_pd(v[2], v[3]);
        _mm256_storeu_pd(lane[0] + i, _mm256_permute2f128_pd(low01, low23, 0x20));
        _mm256_storeu_pd(lane[1] + i, _mm256_permute2f128_pd(high01, high23, 0x20));
        _mm256_storeu_pd(lane[2] + i, _mm256_permute2f128_pd(low01, low23, 0x31));
        if (kLfo)
            _mm256_storeu_pd(lane[3] + i, _mm256_permute2f128_pd(high01, high23, 0x31));
    }
};

__attribute__((target("avx2"))) void keepLanes(__m256d v, double& a, double& b, double& c, double* d) noexcept {
    alignas(32) double x[4];
    _mm256_store_pd(x, v);
    a = x[0];
    b = x[1];
    c = x[2];
    if (d)
        *d = x[3];
}

template <bool kChecked>
__attribute__((target("avx2"))) __m256d turnChecked(__m256d phase, __m256d step, __m256d moving,
                                                    __m256d turn) noexcept {
    phase = turnLanes(phase, step, moving, turn);
    if (kChecked)
        if (const int beyond = beyondOneTurn(phase, moving, turn))
            phase = reduceTurns(phase, beyond);
    return phase;
}

template <bool kChecked, bool kLfo>
__attribute__((target("avx2"))) __m256d phaseLoop(__m256d phase, __m256d step, __m256d moving, __m256d turn,
                                                  const Outputs& out, int count) noexcept {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        __m256d v[4];
        for (__m256d& sample : v)
            sample = phase = turnChecked<kChecked>(phase, step, moving, turn);
        out.store4<kLfo>(v, i);
    }
    for (; i < count; ++i) {
        phase = turnChecked<kChecked>(phase, step, moving, turn);
        out.store<kLfo>(phase, i);
    }
    return phase;
}

__attribute__((target("avx2"))) void phasesAvx2(Oscillator::PhaseTracker (&t)[kOscillators], Lfo::PhaseTracker* lfo,
                                                int count) noexcept {
    bool within = lfoWithinOneTurn(lfo);
    for (const Oscillator::PhaseTracker& tracker : t)
        within = within && (!tracker.moves || withinOneTurn(tracker.phase, tracker.step, kTwoPi));
    const LaneSet set(lfo);
    const __m256d step = lanes(t[0].step, t[1].step, t[2].step, lfo ? lfo->increment : 0.0);
    const __m256d moving = _mm256_or_pd(
        set.always, _mm256_castsi256_pd(_mm256_setr_epi64x(-std::int64_t{t[0].moves}, -std::int64_t{t[1].moves},
                                                           -std::int64_t{t[2].moves}, 0)));
    __m256d phase = lanes(t[0].phase, t[1].phase, t[2].phase, lfo ? lfo->phase : 0.0);
    const Outputs out{{t[0].phases, t[1].phases, t[2].phases, lfo ? lfo->phases : nullptr}};
    if (lfo)
        phase = within ? phaseLoop<false, true>(phase, step, moving, set.turn, out, count)
                       : phaseLoop<true, true>(phase, step, moving, set.turn, out, count);
    else
        phase = within ? phaseLoop<false, false>(phase, step, moving, set.turn, out, count)
                       : phaseLoop<true, false>(phase, step, moving, set.turn, out, count);
    keepLanes(phase, t[0].phase, t[1].phase, t[2].phase, lfo ? &lfo->phase : nullptr);
}

// The largest step a pitch tracker can take in its stretch, or not a number
// when its values allow no bound. From values of 0 and above a glide only
// moves toward its target and stops there, so no frequency passes the
// larger of its start and its target; rounding keeps that order through the
// product and the step.
double largestStep(const Oscillator::PitchTracker& t) noexcept {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const bool glides = t.glideRatio != 1.0;
    if (!(t.currentFreq >= 0.0 && t.factor >= 0.0 && t.sampleRate > 0.0))
        return nan;
    if (glides && !(t.glideRatio >= 0.0 && t.targetFreq >= 0.0))
        return nan;
    const double highest = glides ? std::max(t.currentFreq, t.targetFreq) : t.currentFreq;
    return t.factor * highest * kTwoPi / t.sampleRate;
}

// The LFO's lane steps by its increment through the same arithmetic as the
// oscillators: a frequency of 1 that never glides, the increment as its
// factor, a turn of 1 and a rate of 1 (multiplying and dividing by 1 change
// no value).
template <bool kChecked, bool kLfo>
__attribute__((target("avx2"))) void pitchLoop(Oscillator::PitchTracker (&t)[kOscillators], Lfo::PhaseTracker* lfo,
                                               int count) noexcept {
    const LaneSet set(lfo);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d zero = _mm256_setzero_pd();
    __m256d freq = lanes(t[0].currentFreq, t[1].currentFreq, t[2].currentFreq, 1.0);
    __m256d ratio = lanes(t[0].glideRatio, t[1].glideRatio, t[2].glideRatio, 1.0);
    const __m256d target = lanes(t[0].targetFreq, t[1].targetFreq, t[2].targetFreq, 0.0);
    const __m256d factor = lanes(t[0].factor, t[1].factor, t[2].factor, kLfo ? lfo->increment : 0.0);
    const __m256d rate = lanes(t[0].sampleRate, t[1].sampleRate, t[2].sampleRate, 1.0);
    __m256d phase = lanes(t[0].phase, t[1].phase, t[2].phase, kLfo ? lfo->phase : 0.0);
    __m256d falling = _mm256_cmp_pd(ratio, one, _CMP_LT_OQ);
    __m256d rising = _mm256_cmp_pd(ratio, one, _CMP_GT_OQ);
    const Outputs freqs{{t[0].freqs, t[1].freqs, t[2].freqs, nullptr}};
    const Outputs phases{{t[0].phases, t[1].phases, t[2].phases, kLfo ? lfo->phases : nullptr}};
    auto next = [&](__m256d & f) __attribute__((target("avx2"))) {
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
        f = _mm256_mul_pd(factor, freq);
        const __m256d moving = _mm256_or_pd(set.always, _mm256_cmp_pd(f, zero, _CMP_GT_OQ));
        phase = turnChecked<kChecked>(phase, _mm256_div_pd(_mm256_mul_pd(f, set.turn), rate), moving, set.turn);
        return phase;
    };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        __m256d f[4], p[4];
        for (int j = 0; j < 4; ++j)
            p[j] = next(f[j]);
        freqs.store4<false>(f, i);
        phases.store4<kLfo>(p, i);
    }
    for (; i < count; ++i) {
        __m256d f;
        phases.store<kLfo>(next(f), i);
        freqs.store<false>(f, i);
    }
    keepLanes(freq, t[0].currentFreq, t[1].currentFreq, t[2].currentFreq, nullptr);
    keepLanes(ratio, t[0].glideRatio, t[1].glideRatio, t[2].glideRatio, nullptr);
    keepLanes(phase, t[0].phase, t[1].phase, t[2].phase, kLfo ? &lfo->phase : nullptr);
}

void pitchesAvx2(Oscillator::PitchTracker (&t)[kOscillators], Lfo::PhaseTracker* lfo, int count) noexcept {
    bool within = lfoWithinOneTurn(lfo);
    for (const Oscillator::PitchTracker& tracker : t)
        within = within && withinOneTurn(tracker.phase, largestStep(tracker), kTwoPi);
    if (lfo)
        within ? pitchLoop<false, true>(t, lfo, count) : pitchLoop<true, true>(t, lfo, count);
    else
        within ? pitchLoop<false, false>(t, lfo, count) : pitchLoop<true, false>(t, lfo, count);
}

#endif

}  // namespace

void trackPitches(Oscillator::PitchTracker (&t)[kOscillators], Lfo::PhaseTracker* lfo, int count) noexcept {
#if KX_AVX2_CODE
    if (cpuPath() == CpuPath::avx2)
        return pitchesAvx2(t, lfo, count);
#endif
    for (int i = 0; i < count; ++i) {
        for (Oscillator::PitchTracker& tracker : t)
            tracker.track(i);
        if (lfo)
            lfo->track(i);
    }
}

void trackPhases(Oscillator::PhaseTracker (&t)[kOscillators], Lfo::PhaseTracker* lfo, int count) noexcept {
#if KX_AVX2_CODE
    if (cpuPath() == CpuPath::avx2)
        return phasesAvx2(t, lfo, count);
#endif
    for (int i = 0; i < count; ++i) {
        for (Oscillator::PhaseTracker& tracker : t)
            tracker.track(i);
        if (lfo)
            lfo->track(i);
    }
}

}  // namespace kx::VoiceLanes
