#include <gtest/gtest.h>

#include "engine/random.h"

#include <set>
#include <thread>
#include <vector>

namespace kx {
namespace {

TEST(Random, SequenceFromLoadSeeds) {
    Random::restart();
    EXPECT_EQ(Random::next(), 0x0d1f71d0u);
    EXPECT_EQ(Random::next(), 0xd1df7118u);
    EXPECT_EQ(Random::next(), 0x8bdd06c2u);
    EXPECT_EQ(Random::next(), 0x240847b0u);
    EXPECT_EQ(Random::stateZ(), 1323705352u);
    EXPECT_EQ(Random::stateW(), 31147952u);
}

TEST(Random, DrawsScaleTheSameStep) {
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

}  // namespace
}  // namespace kx

namespace kx {
namespace {

RandomGenerator stepped(RandomGenerator g, std::uint64_t count) {
    for (std::uint64_t i = 0; i < count; ++i)
        g.next();
    return g;
}

TEST(Random, AJumpLandsWhereThatManyStepsDo) {
    // Ordinary states, the fixed points 0 and the moduli, and states above
    // the moduli that fall below them within two steps.
    const RandomGenerator starts[] = {{71, 89},
                                      {123, 456},
                                      {0, 0},
                                      {2422800383u, 1179647999u},
                                      {0xffffffffu, 0xffffffffu},
                                      {2422800384u, 1179648000u},
                                      {0xdeadbeefu, 0x12345678u}};
    for (const RandomGenerator& start : starts) {
        for (std::uint64_t count : {0u, 1u, 2u, 7u, 8u, 9u, 64u, 513u, 4096u, 100003u}) {
            const RandomGenerator a = start.jumped(count);
            const RandomGenerator b = stepped(start, count);
            ASSERT_EQ(a.z, b.z) << start.z << " by " << count;
            ASSERT_EQ(a.w, b.w) << start.w << " by " << count;
            ASSERT_TRUE(RandomJump(count)(start) == b);
        }
    }
}

TEST(Random, ClaimsOnOneThreadTakeTheSequenceInOrder) {
    Random::restart();
    RandomGenerator first = Random::claim(5);
    RandomGenerator second = Random::claim(3);
    const std::uint32_t after = Random::next();

    RandomGenerator sequential{Random::kSeedZ, Random::kSeedW};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(first.next(), sequential.next());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(second.next(), sequential.next());
    EXPECT_EQ(after, sequential.next());
}

TEST(Random, ConcurrentClaimsGetDisjointPartsOfTheSequence) {
    // Two threads claim stretches as two instances rendering in parallel
    // do; together they must have drawn each part of the sequence once.
    Random::restart();
    constexpr int kClaims = 2000, kSize = 37;
    std::vector<std::uint32_t> seen[2];
    auto work = [&seen](int t) {
        for (int c = 0; c < kClaims; ++c) {
            RandomGenerator g = Random::claim(kSize);
            seen[t].push_back(g.z);  // a claim is known by the state it starts from
        }
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();

    std::set<std::uint32_t> starts(seen[0].begin(), seen[0].end());
    starts.insert(seen[1].begin(), seen[1].end());
    ASSERT_EQ(starts.size(), static_cast<std::size_t>(2 * kClaims));  // no claim handed out twice
    RandomGenerator g{Random::kSeedZ, Random::kSeedW};
    std::set<std::uint32_t> expected;
    for (int c = 0; c < 2 * kClaims; ++c) {
        expected.insert(g.z);
        g = g.jumped(kSize);
    }
    EXPECT_EQ(starts, expected);  // and none skipped
    EXPECT_EQ(Random::stateZ(), g.z);
    EXPECT_EQ(Random::stateW(), g.w);
}

}  // namespace
}  // namespace kx
