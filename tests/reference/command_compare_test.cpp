// The patch commands, fired through the effect's command hook as the skin's
// command buttons fire them: stored values must equal the model's exactly,
// and the sound after them must still match.
#include "twin.h"

#include <gtest/gtest.h>

namespace kx::ref {
namespace {

class CommandCompare : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(twin.start(&error)) << error;
    }
    void expectSameStoredValues() {
        const std::vector<double> plugin = twin.pluginStored();
        ASSERT_EQ(plugin.size(), static_cast<size_t>(kRefParamCount));
        for (int i = 0; i < kRefParamCount; ++i)
            EXPECT_EQ(plugin[i], twin.model().stored(i)) << "parameter " << i;
    }
    Twin twin;
};

TEST_F(CommandCompare, AutoLevelFromLevelsAndNoise) {
    twin.executeCommand(0, false, false);  // three levels at 1
    expectSameStoredValues();
    twin.setParameter(6, 0.0f);
    twin.setParameter(14, 0.0f);
    twin.setParameter(22, 0.0f);
    twin.executeCommand(0, false, false);  // all zero: 0 dB
    expectSameStoredValues();
    EXPECT_EQ(twin.model().stored(29), 1.0);
    twin.setParameter(13, 0.25f);
    twin.setParameter(6, 0.5f);
    twin.executeCommand(0, true, true);
    expectSameStoredValues();
    twin.events({noteOn(0, 60)});
    twin.render(2000);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(CommandCompare, RandomCommandsDrawLikeTheModel) {
    // Sound between commands moves the shared generator on both sides.
    twin.setParameter(5, 0.2f);
    twin.events({noteOn(0, 55)});
    twin.render(777);
    const struct {
        int command;
        bool shift;
    } steps[] = {{2, false}, {3, false}, {1, false}, {1, true}, {3, true}, {2, true}, {4, false}, {-1, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.command * 10 + step.shift);
        const double portaReset = twin.model().stored(27);
        const double bendRange = twin.model().stored(28);
        twin.executeCommand(step.command, step.shift, false);
        expectSameStoredValues();
        EXPECT_EQ(twin.model().stored(27), portaReset);
        EXPECT_EQ(twin.model().stored(28), bendRange);
        twin.render(1500);
        twin.events({noteOn(0, 40 + step.command * 5), noteOff(1200, 55)});
        twin.render(1500);
    }
    EXPECT_TWIN_MATCHES(twin);
}

}  // namespace
}  // namespace kx::ref
