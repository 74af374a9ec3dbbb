// The editor window in a host: what it shows, how the mouse drives the
// skin, and how it opens and closes.
#include "editor_fixture.h"

namespace kx::testing {
namespace {

TEST_F(EditorTest, OpenShowsWhatTheSnapshotPaintsForTheSameState) {
    effect->setParameterValue(param("Detune1"), 0.8);
    ASSERT_TRUE(open());
    Window child = host->child();
    ASSERT_NE(child, 0u);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(host->display(), child, &a));
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_EQ(a.width, width);
    EXPECT_EQ(a.height, height);
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

TEST_F(EditorTest, DialDragChangesTheParameterAndTheHostHearsBeginAutomateEnd) {
    ASSERT_TRUE(open());
    const int wave = param("Wave1");
    const double before = value(wave);
    host->moveTo(kWave1Dial.x, kWave1Dial.y);
    host->press(1);
    for (int y = kWave1Dial.y - 5; y >= kWave1Dial.y - 60; y -= 5)
        host->moveTo(kWave1Dial.x, y);
    host->release(1);
    ASSERT_TRUE(idleUntil([&] { return !hostCalls().empty() && hostCalls().back().opcode == audioMasterEndEdit; }));
    EXPECT_GT(value(wave), before);
    ASSERT_GE(hostCalls().size(), 3u);
    EXPECT_EQ(hostCalls().front(), begin(wave));
    EXPECT_EQ(hostCalls().back(), end(wave));
    for (size_t i = 1; i + 1 < hostCalls().size(); ++i)
        EXPECT_EQ(hostCalls()[i], automate(wave));
    EXPECT_EQ(system()->capture(), 0u);
    EXPECT_EQ(differing(onScreen(), headless()), 0u);
}

}  // namespace
}  // namespace kx::testing
