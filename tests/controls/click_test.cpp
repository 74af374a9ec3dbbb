#include "controls/command_button.h"
#include "controls/page_selectors.h"
#include "controls/param_buttons.h"
#include "editor/link_launcher.h"
#include "skin/skin_fixture.h"

namespace kx::testing {
namespace {

// Records the commands the skin fires.
class CommandEffect : public SynthEffect {
public:
    using SynthEffect::SynthEffect;
    void executeCommand(int number, bool shift, bool control) override { fired.push_back({number, shift, control}); }
    struct Fired {
        int number;
        bool shift, ctrl;
    };
    std::vector<Fired> fired;
};

class ClickTest : public ImageSkinTest {
protected:
    void SetUp() override {
        hostCalls().clear();
        effect.reset(commands = new CommandEffect(recordingHost));
        ASSERT_TRUE(loadWithImages(std::string(kBasicResources) +
                                   "AddResource two TestImage 20 20 2\n"
                                   "AddResource one TestImage 20 20 1\n"
                                   "AddResource four TestImage 20 20 4\n"
                                   "Init 300 100 2\n"
                                   "AddControl 0 0 0 20 20 KImgCommand FullRnd two\n"                    // 0
                                   "AddControl 0 20 0 20 20 KImgCommand AutoLevel one\n"                 // 1
                                   "AddControl 0 40 0 20 20 KImgSwitch Noise1 four\n"                    // 2
                                   "AddControl 0 60 0 20 20 KHlSwitch Level1 5 7 10 6 red green half\n"  // 3
                                   "AddControl 0 80 0 20 20 KImgRadio Wave2 0 3 two\n"                   // 4..7
                                   "AddControl 0 100 0 20 20 KImgRadio Wave2 1 3 two\n"
                                   "AddControl 0 120 0 20 20 KImgRadio Wave2 2 3 two\n"
                                   "AddControl 0 140 0 20 20 KImgRadio Wave2 3 3 two\n"
                                   "AddControl 0 160 0 20 20 KImgButton Porta1 four\n"                   // 8
                                   "AddControl 0 180 0 20 20 KPageSelHlt 2 half\n"                       // 9
                                   "AddControl 0 200 0 20 20 KUrl \"https://tamlow.example/kelvox2\"\n"  // 10
                                   "AddControl 0 220 0 20 20 KImgButton Porta2 one\n"                    // 11
                                   "AddControl 0 240 0 20 20 KImg one\n"));                              // 12
        ASSERT_EQ(skin->controlCount(), 13u);
        hostCalls().clear();
    }
    CommandEffect* commands = nullptr;
};

TEST_F(ClickTest, CommandRunsOnReleaseEvenOutsideTheButton) {
    paintNew();
    EXPECT_TRUE(skin->LeftDown(false, false, 10, 10));
    EXPECT_TRUE(commands->fired.empty());
    paint();
    EXPECT_EQ(pixel(5, 5), frameColour(1) & 0xFFFFFF);  // pressed frame
    EXPECT_TRUE(skin->LeftUp(false, false, 250, 90));
    ASSERT_EQ(commands->fired.size(), 1u);
    EXPECT_EQ(commands->fired[0].number, kCmdFullRandom);
    paint();
    EXPECT_EQ(pixel(5, 5), frameColour(0) & 0xFFFFFF);
}

TEST_F(ClickTest, CommandDoesNotRunAfterALostCapture) {
    EXPECT_TRUE(skin->LeftDown(false, true, 10, 10));
    skin->CaptureLost();
    EXPECT_FALSE(skin->LeftUp(false, false, 10, 10));
    EXPECT_TRUE(commands->fired.empty());
    EXPECT_FALSE(static_cast<KCommandBase*>(skin->control(0))->isPressed());
}

TEST_F(ClickTest, ShiftOrCtrlAtPressOrReleaseReachesTheCommand) {
    skin->LeftDown(false, false, 10, 10);
    skin->LeftUp(true, false, 10, 10);
    skin->LeftDown(false, true, 10, 10);
    skin->LeftUp(false, false, 10, 10);
    skin->LeftDown(false, false, 10, 10);  // flags don't linger from earlier presses
    skin->LeftUp(false, false, 10, 10);
    ASSERT_EQ(commands->fired.size(), 3u);
    EXPECT_TRUE(commands->fired[0].shift);
    EXPECT_FALSE(commands->fired[0].ctrl);
    EXPECT_FALSE(commands->fired[1].shift);
    EXPECT_TRUE(commands->fired[1].ctrl);
    EXPECT_FALSE(commands->fired[2].shift || commands->fired[2].ctrl);
}

TEST_F(ClickTest, OneFrameCommandKeepsItsPictureWhilePressed) {
    paintNew();
    skin->LeftDown(false, false, 30, 10);
    paint();
    EXPECT_EQ(pixel(30, 10), frameColour(0) & 0xFFFFFF);
    skin->LeftUp(false, false, 30, 10);
    EXPECT_EQ(commands->fired.at(0).number, kCmdAutoLevel);
}

TEST_F(ClickTest, RadioGroupOfFour) {
    int wave2 = param("Wave2");
    double expected[] = {0.125, 0.375, 0.625, 0.875};
    for (int i = 0; i < 4; ++i) {
        hostCalls().clear();
        EXPECT_TRUE(skin->LeftDown(false, false, 85 + 20 * i, 10));
        EXPECT_DOUBLE_EQ(value("Wave2"), expected[i]);
        EXPECT_TRUE(skin->LeftUp(false, false, 85 + 20 * i, 10));
        EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(wave2), automate(wave2), automate(wave2), end(wave2)}));
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(static_cast<KRadioBase*>(skin->control(4 + j))->isSelected(), i == j);
    }
    setValue("Wave2", 1.0);  // the last band includes 1
    EXPECT_TRUE(static_cast<KRadioBase*>(skin->control(7))->isSelected());
    setValue("Wave2", 0.5);
    EXPECT_TRUE(static_cast<KRadioBase*>(skin->control(6))->isSelected());
    paintNew();
    EXPECT_EQ(pixel(125, 10), frameColour(1) & 0xFFFFFF);
    EXPECT_EQ(pixel(105, 10), frameColour(0) & 0xFFFFFF);
}

TEST_F(ClickTest, SwitchTogglesAndCtrlRestoresTheDefault) {
    int noise = param("Noise1");
    auto* sw = static_cast<KSwitchBase*>(skin->control(2));
    setValue("Noise1", 0.5);
    EXPECT_TRUE(sw->isOn());
    paintNew();
    EXPECT_EQ(pixel(50, 10), frameColour(1) & 0xFFFFFF);
    EXPECT_TRUE(skin->LeftDown(false, false, 50, 10));
    EXPECT_EQ(value("Noise1"), 0.0);
    paint();
    EXPECT_EQ(pixel(50, 10), frameColour(2) & 0xFFFFFF);  // four frames: pressed and off
    EXPECT_TRUE(skin->LeftUp(false, false, 50, 10));
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(noise), automate(noise), automate(noise), end(noise)}));
    skin->LeftDown(false, false, 50, 10);
    EXPECT_EQ(value("Noise1"), 1.0);
    skin->LeftUp(false, false, 50, 10);
    skin->LeftDown(false, true, 50, 10);
    EXPECT_EQ(value("Noise1"), effect->getParam(noise)->getDefault());
    skin->LeftUp(false, false, 50, 10);
}

// Losing the capture mid-press must not leave an edit gesture open or a
// control stuck in its pressed look.
TEST_F(ClickTest, LostCaptureEndsSwitchRadioAndTabPresses) {
    int noise = param("Noise1"), wave2 = param("Wave2");
    skin->LeftDown(false, false, 50, 10);
    skin->CaptureLost();
    EXPECT_EQ(hostCalls().back(), end(noise));
    EXPECT_FALSE(static_cast<KSwitchBase*>(skin->control(2))->isPressed());
    skin->LeftDown(false, false, 85, 10);
    skin->CaptureLost();
    EXPECT_EQ(hostCalls().back(), end(wave2));
    EXPECT_FALSE(static_cast<KRadioBase*>(skin->control(4))->isPressed());
    paintNew();
    skin->LeftDown(false, false, 185, 10);
    EXPECT_EQ(skin->GetPage(), 2);
    skin->CaptureLost();
    paint();
    EXPECT_FALSE(static_cast<KPageSelBase*>(skin->control(9))->isPressed());
    EXPECT_EQ(pixel(185, 10), 0u);  // the highlight is gone
    // Each begin edit was matched by one end edit.
    int begins = 0, ends = 0;
    for (const HostCall& c : hostCalls()) {
        begins += c.opcode == audioMasterBeginEdit;
        ends += c.opcode == audioMasterEndEdit;
    }
    EXPECT_EQ(begins, ends);
}

TEST_F(ClickTest, HlSwitchDrawsADiscWhenOnAndACrossWhenOff) {
    // Mark 10 x 6 at (5, 7): disc of radius 3 centred at (10, 10).
    setValue("Level1", 1.0);
    paintNew();
    EXPECT_EQ(pixel(70, 10), 0x00FF00u);
    EXPECT_EQ(pixel(70, 13), 0u);  // outside the radius
    setValue("Level1", 0.0);
    paint();
    EXPECT_EQ(pixel(70, 10), 0xFF0000u);  // the cross's centre
    EXPECT_EQ(pixel(68, 11), 0xFF0000u);  // on the other stroke
}

TEST_F(ClickTest, MomentaryButtonSetsOneWhileHeld) {
    int porta = param("Porta1");
    paintNew();
    EXPECT_TRUE(skin->LeftDown(false, false, 170, 10));
    EXPECT_EQ(value("Porta1"), 1.0);
    paint();
    EXPECT_EQ(pixel(170, 10), frameColour(2) & 0xFFFFFF);
    skin->CaptureLost();
    EXPECT_EQ(value("Porta1"), 0.0);
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{automate(porta), automate(porta), automate(porta), automate(porta)}));
    // A one-frame button never changes its picture.
    auto* still = static_cast<KImgButton*>(skin->control(11));
    skin->LeftDown(false, false, 230, 10);
    EXPECT_EQ(still->CurrentFrame(), 0);
    skin->LeftUp(false, false, 230, 10);
}

bool recordLink(const char* target);
std::vector<std::string> gLinks;
bool recordLink(const char* target) {
    gLinks.push_back(target);
    return true;
}

TEST_F(ClickTest, LinkOpensOnPressWithoutCapture) {
    gLinks.clear();
    KLinkLauncher old = setLinkLauncher(recordLink);
    EXPECT_EQ(skin->CursorAt(210, 10), 2);
    EXPECT_FALSE(skin->LeftDown(false, false, 210, 10));
    EXPECT_EQ(skin->capturedIndex(), -1);
    setLinkLauncher(old);
    ASSERT_EQ(gLinks.size(), 1u);
    EXPECT_EQ(gLinks[0], "https://tamlow.example/kelvox2");
    // The static image takes nothing.
    EXPECT_EQ(skin->CursorAt(250, 10), 0);
    EXPECT_FALSE(skin->LeftDown(false, false, 250, 10));
}

}  // namespace
}  // namespace kx::testing
