#include "engine/wave_table_set.h"

#include <cmath>
#include <vector>

namespace kx {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kInvTableSize = 0.00048828125; // 1/2048
constexpr double kInvLn2 = 1.4426950408889634;
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kFourOverPi = 1.2732395447351628;
constexpr double kEightOverPiSquared = 0.8105694691387022;
} // namespace

const WaveTableSet& WaveTableSet::instance()
{
    // Lives in static storage (589,824 bytes), never on the heap, and is
    // built exactly once.
    static const WaveTableSet set;
    return set;
}

// Every level accumulates its harmonics in increasing order from zero, so the
// running sums of level t are the first terms of level t+1's: one accumulator
// per sample, copied out whenever k reaches a power of two, gives the same
// bits as summing each level separately.
WaveTableSet::WaveTableSet()
{
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
            const double s = std::sin(j * kTwoPi * kInvTableSize * k);
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

WaveTableSet::Segment WaveTableSet::segmentAt(const double* y, int n) noexcept
{
    const double ym1 = y[(n - 1) & kMask];
    const double y0 = y[n & kMask];
    const double y1 = y[(n + 1) & kMask];
    const double y2 = y[(n + 2) & kMask];
    const double c1 = (y1 - ym1) * 0.5;
    const double c3 = (y0 - y1) * 1.5 + (y2 - ym1) * 0.5;
    const double c2 = ym1 - y0 + c1 - c3;
    return Segment{y0, c1, c2, c3};
}

double WaveTableSet::levelPosition(double frequency) noexcept
{
    return std::log(20000.0 / frequency) * kInvLn2;
}

void WaveTableSet::splitLevel(double position, int& level, double& fraction) noexcept
{
    if (position >= kLevels - 1) {
        level = kLevels - 1;
        fraction = 0.0;
    } else if (position > -1.0) {
        level = static_cast<int>(position); // toward zero: 0 between 20 and 40 kHz
        fraction = position - level;
    } else {
        // Above 40 kHz (or a position that is not a number): silent anyway
        // through the loudness curve; only stay inside the tables.
        level = 0;
        fraction = 0.0;
    }
}

double WaveTableSet::readBandLimited(int table, double phase, double frequency) const noexcept
{
    int level;
    double fraction;
    splitLevel(levelPosition(frequency), level, fraction);
    return readAtLevel(table, phase, level, fraction);
}

} // namespace kx
