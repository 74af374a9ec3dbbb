#include <gtest/gtest.h>

#include "engine/envelope.h"

namespace kx {
namespace {

int runUntil(Envelope& env, EnvelopeState state, int limit = 1000000) {
    int n = 0;
    while (env.state != state && n < limit) {
        env.tick();
        ++n;
    }
    return n;
}

TEST(Envelope, AttackFollowsParabolaAndEndsAtOne) {
    Envelope env;
    env.trigger(0.01);
    EXPECT_EQ(env.state, EnvelopeState::Attack);
    env.tick();
    // The sum of 2 x progress x increment over n samples is n(n+1)/N^2: the
    // parabola t^2 sampled at the segment's own steps.
    EXPECT_DOUBLE_EQ(env.value, 2.0 / (441.0 * 441.0));
    for (int i = 1; i < 220; ++i)
        env.tick();
    EXPECT_NEAR(env.value, 220.0 * 221.0 / (441.0 * 441.0), 1e-12);
    const int rest = runUntil(env, EnvelopeState::Sustain);
    // 441 samples in all, or one more when rounding leaves progress short of 1.
    EXPECT_TRUE(220 + rest == 441 || 220 + rest == 442) << 220 + rest;
    EXPECT_EQ(env.value, 1.0);
    EXPECT_EQ(env.progress, 0.0);
    EXPECT_EQ(env.increment, 0.0);
}

TEST(Envelope, LegatoTriggerChangesNothing) {
    Envelope env;
    env.trigger(0.01);
    for (int i = 0; i < 100; ++i)
        env.tick();
    const Envelope before = env;
    env.trigger(1.0);
    EXPECT_EQ(env.progress, before.progress);
    EXPECT_EQ(env.increment, before.increment);
    runUntil(env, EnvelopeState::Sustain);
    env.trigger(0.5);
    EXPECT_EQ(env.state, EnvelopeState::Sustain);
}

TEST(Envelope, ReleaseFromMidAttackFallsFromLevelReached) {
    Envelope env;
    env.trigger(0.1);
    for (int i = 0; i < 2205; ++i)  // half the attack: level about 1/4
        env.tick();
    const double reached = env.value;
    EXPECT_NEAR(reached, 0.25, 1e-3);
    env.release(0.01);
    EXPECT_EQ(env.span, reached);
    env.tick();
    EXPECT_LT(env.value, reached);
    const double inc = 1 / 441.0;
    EXPECT_NEAR(env.value, reached * (1 - 2 * inc + 2 * inc * inc), 1e-12);
    const int n = runUntil(env, EnvelopeState::Idle);
    EXPECT_GE(n, 439);
    EXPECT_LE(n, 441);
    EXPECT_EQ(env.value, 0.0);
}

TEST(Envelope, RetriggerDuringReleaseCoversTheRemainderInFullAttackTime) {
    Envelope env;
    env.trigger(0.01);
    runUntil(env, EnvelopeState::Sustain);
    env.release(0.02);
    for (int i = 0; i < 300; ++i)
        env.tick();
    const double level = env.value;
    env.trigger(0.01);
    EXPECT_EQ(env.span, 1.0 - level);
    const int n = runUntil(env, EnvelopeState::Sustain);
    EXPECT_GE(n, 441);
    EXPECT_LE(n, 442);
    // A second release while releasing keeps the running segment.
    env.release(0.02);
    env.tick();
    const double increment = env.increment;
    env.release(1.0);
    EXPECT_EQ(env.increment, increment);
}

TEST(Envelope, ReleaseWhileIdleStaysSilentThenIdles) {
    Envelope env;
    env.release(0.01);
    EXPECT_EQ(env.state, EnvelopeState::Release);
    for (int i = 0; i < 100; ++i) {
        env.tick();
        ASSERT_EQ(env.value, 0.0);
    }
    const int n = runUntil(env, EnvelopeState::Idle);
    EXPECT_LE(100 + n, 442);
    EXPECT_EQ(env.value, 0.0);
}

}  // namespace
}  // namespace kx
