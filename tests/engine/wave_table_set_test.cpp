#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/oscillator.h"
#include "engine/wave_table_set.h"
#include "reference/reference_voice.h"

namespace kx {
namespace {

const WaveTableSet& tables() { return WaveTableSet::instance(); }

TEST(WaveTableSet, MatchesLevelByLevelSummationBitForBit) {
    const auto& ref = ref::RefWaveTables::get();
    for (int table = 0; table < 3; ++table)
        for (int level = 0; level < 12; ++level)
            for (int j = 0; j < 2048; ++j)
                ASSERT_EQ(tables().levelData(table, level)[j], ref.sample(table + 1, level, j))
                    << "table " << table << " level " << level << " sample " << j;
}

TEST(WaveTableSet, TopLevelsHoldTheSame512Harmonics) {
    for (int table = 0; table < 3; ++table) {
        EXPECT_EQ(0, std::memcmp(tables().levelData(table, 9), tables().levelData(table, 10), 2048 * sizeof(double)));
        EXPECT_EQ(0, std::memcmp(tables().levelData(table, 9), tables().levelData(table, 11), 2048 * sizeof(double)));
        EXPECT_NE(0, std::memcmp(tables().levelData(table, 8), tables().levelData(table, 9), 2048 * sizeof(double)));
    }
}

TEST(WaveTableSet, ShapesOverOneCycle) {
    const double* saw = tables().levelData(WaveTableSet::Sawtooth, 11);
    const double* square = tables().levelData(WaveTableSet::Square, 11);
    const double* tri = tables().levelData(WaveTableSet::Triangle, 11);
    // Sawtooth falls from +1 to -1 across the cycle.
    // (away from the jump, where the band limit rings)
    EXPECT_NEAR(saw[64], 1.0 - 2.0 * 64 / 2048, 0.01);
    EXPECT_NEAR(saw[1000], 1.0 - 2.0 * 1000 / 2048, 0.01);
    EXPECT_NEAR(saw[2048 - 64], -1.0 + 2.0 * 64 / 2048, 0.01);
    // Square: +1 for the first half, -1 for the second.
    EXPECT_NEAR(square[512], 1.0, 0.01);
    EXPECT_NEAR(square[1536], -1.0, 0.01);
    // Triangle: 0 at the start, +1 at a quarter, -1 at three quarters.
    EXPECT_NEAR(tri[0], 0.0, 1e-12);
    EXPECT_NEAR(tri[512], 1.0, 0.002);
    EXPECT_NEAR(tri[1536], -1.0, 0.002);
    // Level 0 is the fundamental alone.
    EXPECT_NEAR(tables().levelData(WaveTableSet::Square, 0)[512], 1.2732395447351628, 1e-15);
}

TEST(WaveTableSet, BandLimitedReadMatchesLiteralReadBitForBit) {
    const auto& ref = ref::RefWaveTables::get();
    // Frequencies across every level, the 20..40 kHz extrapolation and the
    // 512-harmonic floor; phases including the last representable one.
    const double freqs[] = {5.0,    27.5,   39.0625, 40.0,    110.0,   440.0,  1000.0,
                            3520.0, 9999.0, 19999.0, 20000.0, 25000.0, 39999.0};
    const double phases[] = {0.0, 1e-9, 0.5, 3.141592653589793, 4.0, 6.28, std::nextafter(6.283185307179586, 0.0)};
    for (int table = 0; table < 3; ++table)
        for (double f : freqs)
            for (double phase : phases)
                ASSERT_EQ(tables().readBandLimited(table, phase, f), ref.readBandLimited(table + 1, phase, f))
                    << table << " " << f << " " << phase;
}

TEST(WaveTableSet, HermiteReadHitsSamplesAndWraps) {
    const double* saw = tables().levelData(WaveTableSet::Sawtooth, 5);
    EXPECT_EQ(tables().read(WaveTableSet::Sawtooth, 5, 100.0), saw[100]);
    EXPECT_EQ(tables().read(WaveTableSet::Sawtooth, 5, 0.0), saw[0]);
    // A position that rounded up to the table length reads the start again
    // instead of past the end.
    EXPECT_EQ(tables().read(WaveTableSet::Sawtooth, 5, 2048.0), saw[0]);
    EXPECT_TRUE(std::isfinite(tables().read(WaveTableSet::Sawtooth, 5, 2047.999)));
}

TEST(WaveTableSet, LevelsAboveFortyKilohertzStayInsideTheTables) {
    int level = -1;
    double fraction = 1.0;
    WaveTableSet::splitLevel(WaveTableSet::levelPosition(80000.0), level, fraction);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(fraction, 0.0);
    WaveTableSet::splitLevel(WaveTableSet::levelPosition(30000.0), level, fraction);
    EXPECT_EQ(level, 0);
    EXPECT_LT(fraction, 0.0);  // extrapolates from levels 0 and 1
    WaveTableSet::splitLevel(WaveTableSet::levelPosition(1.0), level, fraction);
    EXPECT_EQ(level, 11);
    for (double f : {40000.0, 79000.0, 1e6, 1e300})
        EXPECT_TRUE(std::isfinite(tables().readBandLimited(WaveTableSet::Square, 1.0, f))) << f;
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// The stretch read (AVX2 lanes where the processor has them) against the
// slow literal read, sample by sample, at every kind of level position.
TEST(WaveTableSet, StretchReadsMatchTheLiteralReadBitForBit) {
    const WaveTableSet& set = WaveTableSet::instance();
    const ref::RefWaveTables& literal = ref::RefWaveTables::get();
    double phases[131];
    std::uint32_t seed = 99;
    for (double& p : phases) {
        seed = seed * 1664525u + 1013904223u;
        p = (seed >> 8) * (6.283185307179586 / 16777216.0);
    }
    phases[0] = 0.0;
    phases[1] = 6.283185307179585;  // just below 2 pi: position 2048 after rounding
    for (int table = 0; table < WaveTableSet::kTables; ++table) {
        for (double f : {12.0, 39.0, 55.0, 440.0, 3000.0, 19999.0, 25000.0}) {
            int level;
            double fraction;
            WaveTableSet::splitLevel(WaveTableSet::levelPosition(f), level, fraction);
            for (int count : {131, 4, 3, 0}) {
                double out[131];
                set.readStretch(table, phases, out, count, level, fraction);
                for (int i = 0; i < count; ++i)
                    ASSERT_EQ(out[i], literal.readBandLimited(table + 1, phases[i], f))
                        << "table " << table << " f " << f << " sample " << i;
            }
        }
    }
}

// The gliding read (a level position per sample, in AVX2 lanes where the
// processor has them) against the slow literal read: frequencies that sweep
// across every level, above 40 kHz and at the level edges; lanes stop
// before four with a frequency whose 20000/f is not a normal number.
TEST(WaveTableSet, GlidingReadsMatchTheLiteralReadBitForBit) {
    const WaveTableSet& set = WaveTableSet::instance();
    const ref::RefWaveTables& literal = ref::RefWaveTables::get();
    constexpr int kCount = 203;
    double phases[kCount], freqs[kCount], out[kCount];
    std::uint32_t seed = 7;
    for (int i = 0; i < kCount; ++i) {
        seed = seed * 1664525u + 1013904223u;
        phases[i] = (seed >> 8) * (6.283185307179586 / 16777216.0);
        freqs[i] = 5.0 * std::pow(1.05, i);  // 5 Hz to 100 kHz
    }
    phases[5] = 6.283185307179585;
    freqs[9] = 20000.0 / 1024.0;   // level position exactly 10
    freqs[10] = 40000.0;           // exactly -1
    freqs[11] = 20000.0 / 2048.0;  // exactly 11
    for (int table = 0; table < WaveTableSet::kTables; ++table) {
        const int done = set.readGliding(table, phases, freqs, out, kCount);
        EXPECT_TRUE(done == 0 || done == kCount / 4 * 4) << done;
        for (int i = 0; i < done; ++i)
            ASSERT_EQ(out[i], literal.readBandLimited(table + 1, phases[i], freqs[i]))
                << "table " << table << " f " << freqs[i] << " sample " << i;
    }
    freqs[6] = 1e-310;  // 20000/f is infinite
    const int done = set.readGliding(0, phases, freqs, out, kCount);
    EXPECT_TRUE(done == 0 || done == 4) << done;
}

}  // namespace
}  // namespace kx
