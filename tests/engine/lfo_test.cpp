#include <gtest/gtest.h>

#include <cmath>

#include "engine/lfo.h"
#include "reference/reference_voice.h"

namespace kx {
namespace {

TEST(Lfo, WithoutHostTimeEachShapeStandsAtPhaseZero) {
    // increment stays 0, so the shape is read at phase 0 for ever: the
    // polynomial sine is within its own error of 0, Rising is -1, Falling +1.
    const double expected[] = {ref::refSinePoly(-3.141592653589793), 0.0, 1.0, -1.0, 1.0};
    for (int shape = 0; shape < 5; ++shape) {
        Lfo lfo(44100.0);
        lfo.shape = shape;
        for (int i = 0; i < 200; ++i)
            lfo.tick();
        EXPECT_EQ(lfo.phase, 0.0);
        EXPECT_EQ(lfo.output.value, expected[shape]) << "shape " << shape;
    }
    EXPECT_NEAR(expected[0], 0.0, 1e-3);

    Lfo random(44100.0);
    random.shape = Lfo::Random;
    const double held = random.heldRandom;
    for (int i = 0; i < 200; ++i)
        random.tick();
    EXPECT_EQ(random.output.value, held);

    Lfo unknown(44100.0);
    unknown.shape = 9;
    unknown.tick();
    EXPECT_EQ(unknown.output.value, 0.0);
}

TEST(Lfo, HostTempoSetsIncrementAndPlayingTransportLocksPhase) {
    Lfo lfo(44100.0);
    lfo.cyclesPerBar = 4;
    lfo.phaseOffset = 90 * Lfo::kInvDegrees;
    lfo.syncToHost(false, 7.3, 120.0);
    EXPECT_NEAR(lfo.increment, 4.5351473922902494e-5, 1e-18);  // two cycles per second
    EXPECT_EQ(lfo.phase, 0.0);                                 // stopped: position and offset ignored

    lfo.syncToHost(true, 0.0, 120.0);
    EXPECT_EQ(lfo.phase, 0.25);
    lfo.syncToHost(true, 1.5, 120.0);  // 1.5 beats x 0.25 x 4 = 1.5 cycles, + 0.25
    EXPECT_EQ(lfo.phase, 0.75);
    lfo.syncToHost(true, -0.5, 120.0);  // negative positions wrap into [0, 1)
    EXPECT_EQ(lfo.phase, 0.75);
}

TEST(Lfo, IgnoresHostTimeThatIsNotANumber) {
    Lfo lfo(44100.0);
    lfo.cyclesPerBar = 4;
    lfo.syncToHost(true, 2.1, 120.0);
    const double phase = lfo.phase, increment = lfo.increment;
    lfo.syncToHost(true, std::nan(""), std::nan(""));
    lfo.syncToHost(true, INFINITY, -120.0);
    EXPECT_EQ(lfo.phase, phase);
    EXPECT_EQ(lfo.increment, increment);
    lfo.tick();
    EXPECT_TRUE(std::isfinite(lfo.output.value));
}

TEST(Lfo, IgnoresAHostTempoWhoseSpeedOverflows) {
    // A finite tempo over a tiny (but positive) sample rate, or a huge one:
    // the speed would be endless and the phase NaN from the next tick on.
    const struct { double rate, tempo; } reports[] = {{44100.0, 1.7e308}, {2.9e-39, 5.5e303}};
    for (const auto& [rate, tempo] : reports) {
        Lfo lfo(rate);
        lfo.shape = Lfo::Sine;
        lfo.cyclesPerBar = 32;
        lfo.syncToHost(true, 2.1, tempo);
        for (int i = 0; i < 4; ++i)
            lfo.tick();
        EXPECT_TRUE(std::isfinite(lfo.increment)) << rate;
        EXPECT_TRUE(std::isfinite(lfo.phase)) << rate;
        EXPECT_TRUE(std::isfinite(lfo.output.value)) << rate;
    }
}

TEST(Lfo, ShapesAndRandomAgreeWithTwinOverCycles) {
    for (int shape = 0; shape < 6; ++shape) {
        Lfo lfo(48000.0);
        ref::RefLfo twin;
        {
            ref::RefRandom rng{Random::stateZ(), Random::stateW()};
            twin.init(48000.0, rng);
        }
        lfo.reset(48000.0);
        lfo.shape = twin.shape = shape;
        lfo.cyclesPerBar = twin.cyclesPerBar = 32;
        lfo.phaseOffset = twin.phaseOffset = 0.3;
        lfo.syncToHost(true, 3.7, 174.0);
        twin.syncToHost(true, 3.7, 174.0);
        int wraps = 0;
        for (int i = 0; i < 20000; ++i) {
            const double before = lfo.phase;
            ref::RefRandom rng{Random::stateZ(), Random::stateW()};
            lfo.tick();
            twin.tick(rng);
            ASSERT_EQ(lfo.output.value, twin.output.value) << "shape " << shape << " sample " << i;
            if (lfo.phase < before)
                ++wraps;
        }
        EXPECT_GE(wraps, 8);
    }
}

TEST(Lfo, OutputSlewsFullSwingInOneMillisecond) {
    Lfo lfo(44100.0);
    lfo.shape = Lfo::Square;
    lfo.tick();
    EXPECT_NEAR(lfo.output.value, 0.045351473922902494, 1e-15);  // from 0 toward +1
    lfo.output.value = 1.0;
    lfo.phase = 0.6;  // into the -1 half
    int n = 0;
    while (lfo.output.value != -1.0 && n < 1000) {
        lfo.tick();
        ++n;
    }
    EXPECT_GE(n, 44);
    EXPECT_LE(n, 45);
}

TEST(Lfo, RandomShapeDrawsOncePerCycle) {
    Lfo lfo(44100.0);
    lfo.shape = Lfo::Random;
    lfo.increment = 0.01;
    double held = lfo.heldRandom;
    int changes = 0;
    for (int i = 0; i < 1000; ++i) {
        lfo.tick();
        if (lfo.heldRandom != held) {
            ++changes;
            held = lfo.heldRandom;
        }
    }
    EXPECT_GE(changes, 9);  // the summed increments may land just short of a wrap
    EXPECT_LE(changes, 10);
}

}  // namespace
}  // namespace kx
