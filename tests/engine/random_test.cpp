#include <gtest/gtest.h>

#include "engine/random.h"

namespace kx {
namespace {

TEST(Random, SequenceFromLoadSeeds)
{
    Random::restart();
    EXPECT_EQ(Random::next(), 0x0d1f71d0u);
    EXPECT_EQ(Random::next(), 0xd1df7118u);
    EXPECT_EQ(Random::next(), 0x8bdd06c2u);
    EXPECT_EQ(Random::next(), 0x240847b0u);
    EXPECT_EQ(Random::stateZ(), 1323705352u);
    EXPECT_EQ(Random::stateW(), 31147952u);
}

TEST(Random, DrawsScaleTheSameStep)
{
    Random::restart();
    EXPECT_EQ(Random::unipolar(), 220164560.0 * 2.3283064370807974e-10);
    // 0xd1df7118 is negative as a signed word.
    EXPECT_EQ(Random::bipolar(), -773885672.0 * 4.656612875245797e-10);

    // The extremes stay within the documented ranges.
    Random::setState(0xffffffffu, 0xffffffffu);
    for (int i = 0; i < 100000; ++i) {
        const double u = Random::unipolar();
        const double b = Random::bipolar();
        ASSERT_GE(u, 0.0);
        ASSERT_LE(u, 1.0);
        ASSERT_GE(b, -1.0);
        ASSERT_LE(b, 1.0);
    }
}

} // namespace
} // namespace kx
