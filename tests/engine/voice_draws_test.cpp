#include <gtest/gtest.h>

#include <cstring>

#include "engine/voice_draws.h"

namespace kx {
namespace {

// The slow twin: each sample's draws one after another.
TEST(VoiceDraws, LanesGiveTheSequentialDrawsBitForBit) {
    const RandomGenerator starts[] = {{71, 89}, {0xffffffffu, 0xffffffffu}, {2422800383u, 7}, {1, 1}};
    for (const RandomGenerator& start : starts) {
        for (int count = 0; count <= VoiceDraws::kMaxSamples; ++count) {
            VoiceDraws draws;
            draws.fill(start, count);
            RandomGenerator g = start;
            for (int i = 0; i < count; ++i) {
                const double expected[4] = {g.bipolar(), g.bipolar(), g.bipolar(), g.unipolar()};
                const double got[4] = {draws.noise1[i], draws.noise2[i], draws.noise3[i], draws.offset[i]};
                ASSERT_EQ(0, std::memcmp(expected, got, sizeof got)) << "count " << count << " sample " << i;
            }
        }
    }
}

}  // namespace
}  // namespace kx
