#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/voice_lanes.h"

namespace kx {
namespace {

constexpr int kMax = Oscillator::kMaxStretch;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Three oscillators' glides and phases and the LFO's phase, stepped once by
// the lanes and once by the trackers themselves (the slow twin).
struct PitchCase {
    double currentFreq[3], targetFreq[3], glideRatio[3], factor[3], phase[3];
    double sampleRate;
    double lfoPhase, lfoIncrement;
};

struct PitchRun {
    std::vector<double> freqs[3], phases[3], lfoPhases;
    Oscillator::PitchTracker pitch[3];
    Lfo::PhaseTracker lfo;

    PitchRun(const PitchCase& c) {
        for (int k = 0; k < 3; ++k) {
            freqs[k].assign(kMax, -1.0);
            phases[k].assign(kMax, -1.0);
            pitch[k] = {c.currentFreq[k], c.targetFreq[k], c.glideRatio[k], c.factor[k],
                        c.sampleRate,     c.phase[k],      freqs[k].data(), phases[k].data()};
        }
        lfoPhases.assign(kMax, -1.0);
        lfo = {c.lfoPhase, c.lfoIncrement, lfoPhases.data()};
    }
};

void expectSame(const PitchRun& lanes, const PitchRun& twin, int count, const char* what) {
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(sameBits(lanes.freqs[k][i], twin.freqs[k][i])) << what << " osc " << k << " sample " << i;
            ASSERT_TRUE(sameBits(lanes.phases[k][i], twin.phases[k][i])) << what << " osc " << k << " sample " << i;
        }
        EXPECT_TRUE(sameBits(lanes.pitch[k].currentFreq, twin.pitch[k].currentFreq)) << what;
        EXPECT_TRUE(sameBits(lanes.pitch[k].glideRatio, twin.pitch[k].glideRatio)) << what;
        EXPECT_TRUE(sameBits(lanes.pitch[k].phase, twin.pitch[k].phase)) << what;
    }
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(sameBits(lanes.lfoPhases[i], twin.lfoPhases[i])) << what << " lfo sample " << i;
    EXPECT_TRUE(sameBits(lanes.lfo.phase, twin.lfo.phase)) << what;
}

TEST(VoiceLanes, PitchesAndLfoStepLikeTheTrackersBitForBit) {
    const double rate = 44100.0;
    const PitchCase cases[] = {
        // Glides up, down and none; one lands on its target within a few samples.
        {{220, 440, 300}, {440, 220, 300}, {1.0016, 0.9984, 1}, {1, 2.0, 0.99}, {0, 1, 6.2}, rate, 0.3, 4.5e-5},
        {{439.9, 100, 50}, {440, 80, 50}, {1.0001, 0.999, 1}, {1, 1, 1}, {6.28318, 0, 3}, rate, 0.99999, 1e-3},
        // Above half and above the whole sample rate: more than one turn off.
        {{30000, 50000, 90000}, {30000, 60000, 90000}, {1, 1.01, 1}, {1, 1, 1.5}, {6, 6.2, 1}, rate, 0.5, 0.7},
        // A frequency of 0 or below leaves its phase; an LFO of a cycle or more per sample.
        {{0, -100, 440}, {0, -100, 440}, {1, 1, 1}, {1, 1, 0}, {1, 2, 3}, rate, 1.0, 2.5},
        // Values that are not numbers stay in their lanes.
        {{kNaN, 440, 440}, {440, kNaN, 440}, {1.01, 1.01, kNaN}, {1, 1, 1}, {0, 1, 2}, rate, kNaN, 0.1},
        {{440, 440, 440}, {440, 440, 440}, {1, 1, 1}, {1, 1, 1}, {kNaN, 7.0, -1.0}, rate, 0.2, kNaN},
        // A step that lands on exactly a turn (a quarter of the rate from three quarters of a turn).
        {{11025, 11025, 22050},
         {11025, 11025, 22050},
         {1, 1, 1},
         {1, 1, 1},
         {Oscillator::kPi * 1.5, 0, 0},
         rate,
         0.5,
         0.5},
    };
    for (const PitchCase& c : cases) {
        for (int count : {0, 1, 3, 4, 5, 131, kMax}) {
            for (bool withLfo : {true, false}) {
                PitchRun lanes(c), twin(c);
                VoiceLanes::trackPitches(lanes.pitch, withLfo ? &lanes.lfo : nullptr, count);
                for (int i = 0; i < count; ++i) {
                    for (Oscillator::PitchTracker& t : twin.pitch)
                        t.track(i);
                    if (withLfo)
                        twin.lfo.track(i);
                }
                expectSame(lanes, twin, count, withLfo ? "with lfo" : "without lfo");
            }
        }
    }
}

TEST(VoiceLanes, HeldPitchPhasesStepLikeTheTrackersBitForBit) {
    struct PhaseCase {
        double phase[3], step[3];
        bool moves[3];
        double lfoPhase, lfoIncrement;
    };
    const PhaseCase cases[] = {
        {{0, 3, 6.28}, {0.06, 0.1, 0.01}, {true, true, true}, 0.25, 4.5e-5},
        {{6.2831853, 1, 2}, {3.2, 7.0, 20.0}, {true, true, true}, 0.999, 0.6},  // more than a turn per step
        {{9.0, 1, -0.0}, {0.1, 0.2, 0.3}, {false, true, false}, 1.0, 0.0},      // standing lanes keep their phase
        {{kNaN, 1, 2}, {0.1, kNaN, 0.3}, {true, true, true}, kNaN, 0.1},
        // Landing on exactly a turn takes it off; an LFO of more than a cycle per sample.
        {{Oscillator::kTwoPi - 0.5, 0, 1}, {0.5, 0.1, 0.25}, {true, true, true}, 0.5, 0.25},
        {{Oscillator::kTwoPi - 0.5, 0, 1}, {0.5, Oscillator::kTwoPi, 0.25}, {true, true, true}, 0.5, 2.25},
    };
    for (const PhaseCase& c : cases) {
        for (int count : {0, 1, 4, 7, kMax}) {
            for (bool withLfo : {true, false}) {
                std::vector<double> out[2][4];
                Oscillator::PhaseTracker trackers[2][3];
                Lfo::PhaseTracker lfo[2];
                for (int r = 0; r < 2; ++r) {
                    for (int k = 0; k < 4; ++k)
                        out[r][k].assign(kMax, -1.0);
                    for (int k = 0; k < 3; ++k)
                        trackers[r][k] = {c.phase[k], c.step[k], c.moves[k], out[r][k].data()};
                    lfo[r] = {c.lfoPhase, c.lfoIncrement, out[r][3].data()};
                }
                VoiceLanes::trackPhases(trackers[0], withLfo ? &lfo[0] : nullptr, count);
                for (int i = 0; i < count; ++i) {
                    for (Oscillator::PhaseTracker& t : trackers[1])
                        t.track(i);
                    if (withLfo)
                        lfo[1].track(i);
                }
                for (int k = 0; k < 4; ++k)
                    for (int i = 0; i < count; ++i)
                        ASSERT_TRUE(sameBits(out[0][k][i], out[1][k][i])) << "lane " << k << " sample " << i;
                for (int k = 0; k < 3; ++k)
                    EXPECT_TRUE(sameBits(trackers[0][k].phase, trackers[1][k].phase)) << k;
                EXPECT_TRUE(sameBits(lfo[0].phase, lfo[1].phase));
            }
        }
    }
}

}  // namespace
}  // namespace kx
