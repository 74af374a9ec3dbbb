#pragma once

#include "engine/angles.h"

#include <atomic>
#include <cstddef>

namespace kx {

// Band-limited single-cycle tables for the triangle, square and sawtooth
// waves: 12 levels per wave, level t holding harmonics 1 .. min(2^t, 512).
// One set exists per process, built on first use and read-only afterwards.
// Besides the samples it keeps each level's interpolation coefficients
// (2.4 MB in all), which a read would otherwise recompute every sample.
class WaveTableSet {
public:
    enum Table : int { Triangle = 0, Square = 1, Sawtooth = 2 };

    static constexpr int kTables = 3;
    static constexpr int kLevels = 12;
    static constexpr int kSize = 2048;
    static constexpr int kMaxHarmonic = 512;

    // Builds the set the first time it is called, once however many threads
    // ask at the same moment (they wait for it: never the audio thread).
    static const WaveTableSet& instance();
    // The set once it is built, else null; never builds and never waits, so
    // the audio thread may ask.
    static const WaveTableSet* built() noexcept { return built_.load(std::memory_order_acquire); }

    // The band-limited value of `table` at `phase` (radians, [0, 2pi)) for a
    // tone of `frequency` Hz (> 0).
    double readBandLimited(int table, double phase, double frequency) const noexcept;

    // The same read with the level position already known (see splitLevel):
    // lets a caller keep the logarithm while the frequency does not change.
    // Inline, and both levels read side by side, because it runs up to three
    // times per sample.
    double readAtLevel(int table, double phase, int level, double fraction) const noexcept {
        const double pos = phase * kSize * kInvTwoPi;
        const int n = static_cast<int>(pos);
        const double t = pos - n;
        if (level >= kLevels - 1)
            return hermite(segments_[table][kLevels - 1], n, t);
        const double a = hermite(segments_[table][level], n, t);
        const double b = hermite(segments_[table][level + 1], n, t);
        return a + (b - a) * fraction;
    }

    // log2(20000 / frequency): which levels to blend, and how far.
    static double levelPosition(double frequency) noexcept;
    // Splits a level position into the level read first and the blend
    // fraction toward the next level. Above 40 kHz (position <= -1) the level
    // is clamped to 0 with no blend; from 11 up level 11 is read alone.
    static void splitLevel(double position, int& level, double& fraction) noexcept;

    // Four-point Hermite read of one level at a position 0..2048 (circular).
    double read(int table, int level, double pos) const noexcept {
        const int n = static_cast<int>(pos);
        return hermite(segments_[table][level], n, pos - n);
    }

    // The same read as readAtLevel for a whole stretch of phases, at one
    // level position (levels below 11 blend with the next one).
    void readStretch(int table, const double* phases, double* out, int count, int level,
                     double fraction) const noexcept;

    // readAtLevel for a stretch whose frequency moves (a glide), each sample
    // at the level position of its own frequency (> 0), in AVX2 lanes four
    // samples at a time: the logarithm, the split and both reads lane by
    // lane in the scalar order. Returns how many samples it did from the
    // start (none without AVX2; it stops before four whose level position
    // needs more than the common case); the caller does the rest.
    int readGliding(int table, const double* phases, const double* freqs, double* out, int count) const noexcept;

    const double* levelData(int table, int level) const noexcept {
        return data_[static_cast<std::size_t>(table)][static_cast<std::size_t>(level)];
    }

private:
    static constexpr int kMask = kSize - 1;

    // The cubic between samples n and n+1 of a level, its coefficients taken
    // from samples n-1 .. n+2 of the circular table. They depend on n alone,
    // so they are computed once when the set is built; a read is then the
    // same arithmetic on the same values, minus the repeated part.
    struct Segment {
        double y0, c1, c2, c3;
    };

    // Catmull-Rom between samples n and n+1 at fraction t. The mask wraps like
    // the circular table and also keeps a position that rounded up to exactly
    // 2048 inside it.
    static double hermite(const Segment* segments, int n, double t) noexcept {
        const Segment& s = segments[n & kMask];
        return ((s.c3 * t + s.c2) * t + s.c1) * t + s.y0;
    }

    static Segment segmentAt(const double* y, int n) noexcept;
    // The stretch read in AVX2 lanes, four samples at a time; returns how
    // many samples it did (the rest are left to the scalar loop).
    static int readStretchAvx2(const Segment* lower, const Segment* upper, bool blends, const double* phases,
                               double* out, int count, double fraction) noexcept;
    // readGliding's lanes; `levels` is the table's first level, the others
    // follow it kSize segments apart.
    static int readGlidingAvx2(const Segment* levels, const double* phases, const double* freqs, double* out,
                               int count) noexcept;

    WaveTableSet();
    WaveTableSet(const WaveTableSet&) = delete;
    WaveTableSet& operator=(const WaveTableSet&) = delete;

    double data_[kTables][kLevels][kSize];
    Segment segments_[kTables][kLevels][kSize];

    static inline constinit std::atomic<const WaveTableSet*> built_{nullptr};
};

// When an owner of table reads has the process-wide set built: as it is
// constructed, or later by whoever sets it to play (an instrument when its
// host first resumes it, so that a host that only scans plug-ins never pays
// for the tables). Until then its table waves read as silence.
enum class TableBuild { OnConstruction, Later };

}  // namespace kx
