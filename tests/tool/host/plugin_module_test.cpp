// The one module loader and the one sequencer of the tool's hosts.
#include "kelvox2/host/plugin_module.h"
#include "kelvox2/host/timeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kx {
namespace {

TEST(PluginModule, SaysWhichStepFailedAndFindsTheEntryPoint) {
    PluginModule module;
    EXPECT_FALSE(module.open("/nonexistent/plug-in.so"));
    EXPECT_EQ(module.fault(), PluginModule::Fault::CannotOpen);
    EXPECT_EQ(module.detail(), "No such file or directory");

    EXPECT_FALSE(module.open(KX_SOURCE_DIR));
    EXPECT_EQ(module.fault(), PluginModule::Fault::NotAFile);

    EXPECT_FALSE(module.open(std::string(KX_SOURCE_DIR) + "/README.md"));
    EXPECT_EQ(module.fault(), PluginModule::Fault::CannotLoad);
    EXPECT_NE(module.detail().find("README.md"), std::string::npos) << module.detail();
    EXPECT_FALSE(module.isOpen());
    EXPECT_EQ(vst2Entry(module), nullptr);

    ASSERT_TRUE(module.open(KX_PLUGIN_PATH)) << module.detail();
    EXPECT_EQ(module.fault(), PluginModule::Fault::Ok);
    EXPECT_NE(vst2Entry(module), nullptr);
    module.close();
    EXPECT_FALSE(module.isOpen());
    EXPECT_EQ(module.symbol("VSTPluginMain"), nullptr);
}

TEST(BlockCutter, StartsAtItsFrameAndKeepsMessagesForABlockWithFrames) {
    Timeline timeline;
    timeline.add(30, 0x90, 60, 100);
    timeline.add(10, 0x90, 50, 100);
    timeline.add(30, 0x80, 60, 0);  // after the one already at frame 30
    timeline.add(70, 0x80, 50, 0);
    ASSERT_EQ(timeline.messages().size(), 4u);
    EXPECT_EQ(timeline.end(), 70);
    EXPECT_EQ(timeline.messages()[2].data[0], 0x80);

    BlockCutter cutter(timeline, 20);  // the message at frame 10 is behind it
    std::vector<BlockEvent> events;
    EXPECT_EQ(cutter.nextBlock(0, 0, events), 0);
    EXPECT_TRUE(events.empty()) << "a block of no frames carries nothing";
    EXPECT_EQ(cutter.nextBlock(16, 0, events), 16);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].deltaFrames, 10);
    EXPECT_EQ(events[0].data[0], 0x90);
    EXPECT_EQ(events[1].data[0], 0x80);
    EXPECT_EQ(cutter.nextBlock(100, 0, events), 100);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].deltaFrames, 34);
    EXPECT_EQ(cutter.position(), 136);
}

}  // namespace
}  // namespace kx
