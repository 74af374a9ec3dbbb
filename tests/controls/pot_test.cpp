#include "controls/slide.h"
#include "skin/skin_fixture.h"

namespace kx::testing {
namespace {

// A dial 40 x 40 at (0, 0) on Detune1 (198 steps) and one on Wave1 (four
// entries), with a slider whose handle is 10 x 10 in a 10 x 60 track, and a
// dial on MainLvl (continuous) at (250, 0).
class PotTest : public ImageSkinTest {
protected:
    void SetUp() override {
        ImageSkinTest::SetUp();
        ASSERT_TRUE(loadWithImages(std::string(kBasicResources) +
                                   "AddResource handle TestImage 10 10 1\n"
                                   "AddResource tall TestImage 10 70 1\n"
                                   "Init 300 100 1\n"
                                   "AddControl 1 0 0 40 40 KPotDot Detune1 half 11 red\n"
                                   "AddControl 1 50 0 40 40 KPotLine Wave1 half 15 red\n"
                                   "AddControl 1 100 0 10 60 KSlide Attk1 handle half 0 0 10 10\n"
                                   "AddControl 1 200 0 10 60 KSlide Rel1 tall half 0 0 10 10\n"
                                   "AddControl 1 250 0 40 40 KPotDot MainLvl half 11 red\n"));
        detune = param("Detune1");
        hostCalls().clear();
    }
    void drag(int dx, int dy, bool shift = false) {
        skin->LeftDown(false, false, 20, 20);
        skin->MouseMove(shift, 20 + dx, 20 + dy);
        skin->LeftUp(false, false, 20 + dx, 20 + dy);
    }
    int detune = -1;
};

TEST_F(PotTest, DragLaw) {
    setValue("Detune1", 0.2);
    drag(0, -50);
    EXPECT_NEAR(value("Detune1"), 0.7, 1e-12);
    setValue("Detune1", 0.2);
    drag(0, -50, true);
    EXPECT_NEAR(value("Detune1"), 0.25, 1e-12);
    setValue("Detune1", 0.2);
    drag(40, 0);
    EXPECT_NEAR(value("Detune1"), 0.3, 1e-12);
}

TEST_F(PotTest, DragHoldsAtTheEndsAndTurnsBackAtOnce) {
    setValue("Detune1", 0.9);
    skin->LeftDown(false, false, 20, 20);
    skin->MouseMove(false, 20, -80);
    EXPECT_EQ(value("Detune1"), 1.0);
    skin->MouseMove(false, 20, -70);
    EXPECT_NEAR(value("Detune1"), 0.9, 1e-12);
    skin->MouseMove(false, 20, 500);
    EXPECT_EQ(value("Detune1"), 0.0);
    skin->LeftUp(false, false, 20, 500);
}

TEST_F(PotTest, EachPressIsOneEditGesture) {
    setValue("Detune1", 0.2);
    drag(0, -10);
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(detune), automate(detune), automate(detune), end(detune)}));
    EXPECT_NEAR(hostCalls()[2].value, 0.3f, 1e-6);
}

TEST_F(PotTest, CtrlClickResetsToTheDefaultAndDoesNotDrag) {
    setValue("Detune1", 0.9);
    EXPECT_TRUE(skin->LeftDown(false, true, 20, 20));
    EXPECT_DOUBLE_EQ(value("Detune1"), 0.5);  // 0 cents
    skin->MouseMove(false, 20, 0);
    EXPECT_DOUBLE_EQ(value("Detune1"), 0.5);
    EXPECT_TRUE(skin->LeftUp(false, true, 20, 0));
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(detune), automate(detune), automate(detune), end(detune)}));
    EXPECT_NEAR(hostCalls()[1].value, 0.9f, 1e-6);  // the old value, then the new
    EXPECT_NEAR(hostCalls()[2].value, 0.5f, 1e-6);
}

TEST_F(PotTest, SecondPressWhileHeldChangesNothing) {
    setValue("Detune1", 0.2);
    EXPECT_TRUE(skin->LeftDown(false, false, 20, 20));
    EXPECT_FALSE(skin->RightDown(false, false, 20, 20));  // dials ignore the right button
    EXPECT_TRUE(skin->LeftDown(false, true, 20, 20));     // Ctrl would reset: ignored
    EXPECT_DOUBLE_EQ(value("Detune1"), 0.2);
    EXPECT_EQ(hostCalls().size(), 2u);  // begin, automate
    skin->CaptureLost();
    EXPECT_EQ(hostCalls().back(), end(detune));
}

TEST_F(PotTest, DialsDrawTheQuantisedValueAndRedrawWhenItChanges) {
    paintNew();
    // Wave1 has four entries: 0.3 shows as 1/3, the line towards ten o'clock.
    setValue("Wave1", 0.3);
    KControl* line = skin->control(1);
    EXPECT_TRUE(line->NeedsDraw(*canvas));
    paint();
    EXPECT_FALSE(line->NeedsDraw(*canvas));
    setValue("Wave1", 0.31);  // same step: nothing to redraw
    EXPECT_FALSE(line->NeedsDraw(*canvas));
    // Held, the dot dial lights its highlight disc.
    uint32_t centreBefore = pixel(20, 32);
    skin->LeftDown(false, false, 20, 20);
    paint();
    EXPECT_NE(pixel(20, 32), centreBefore);
    skin->LeftUp(false, false, 20, 20);
    paint();
    EXPECT_EQ(pixel(20, 32), centreBefore);
}

TEST_F(PotTest, SliderMovesOnlyByItsHandle) {
    int attk = param("Attk1");
    setValue("Attk1", 0.0);
    paintNew();
    auto* slide = static_cast<KSlide*>(skin->control(2));
    EXPECT_EQ(slide->travel(), 50);
    EXPECT_EQ(slide->handleY(), 50);
    EXPECT_EQ(skin->CursorAt(105, 10), 0);  // the track
    EXPECT_FALSE(skin->LeftDown(false, false, 105, 10));
    EXPECT_TRUE(hostCalls().empty());
    EXPECT_EQ(skin->CursorAt(105, 55), 2);
    EXPECT_TRUE(skin->LeftDown(false, false, 105, 55));
    skin->MouseMove(false, 105, 30);  // half the travel
    EXPECT_NEAR(value("Attk1"), 0.5, 1e-12);
    EXPECT_TRUE(skin->LeftUp(false, false, 105, 30));
    EXPECT_EQ(hostCalls().front(), begin(attk));
    EXPECT_EQ(hostCalls().back(), end(attk));
    paint();
    EXPECT_EQ(slide->handleY(), 50 - int(49 * value("Attk1") + 0.5));
}

TEST_F(PotTest, SliderWithoutTravelIgnoresDrags) {
    setValue("Rel1", 0.25);
    paintNew();
    auto* slide = static_cast<KSlide*>(skin->control(3));
    EXPECT_EQ(slide->travel(), -10);
    int y = slide->handleY();
    ASSERT_TRUE(skin->LeftDown(false, false, 205, y < 0 ? 0 : y));
    skin->MouseMove(false, 205, -100);
    skin->MouseMove(true, 205, 100);
    EXPECT_DOUBLE_EQ(value("Rel1"), 0.25);
    skin->LeftUp(false, false, 205, 100);
}

uint32_t gWheelNow = 0;
uint32_t wheelClock() { return gWheelNow; }

TEST_F(PotTest, WheelNotchesStepAHundredthOrWholeStepsAndFinerWithShift) {
    // Detune1 has 198 steps: two a notch (a hundredth, rounded), one with Shift.
    setValue("Detune1", 0.5);
    EXPECT_TRUE(skin->Wheel(false, 1, 20, 20));
    EXPECT_DOUBLE_EQ(value("Detune1"), 101.0 / 198);
    EXPECT_TRUE(skin->Wheel(true, -1, 20, 20));
    EXPECT_DOUBLE_EQ(value("Detune1"), 100.0 / 198);
    // A fine wheel's half notches add up to a step.
    skin->Wheel(true, 0.5, 20, 20);
    EXPECT_DOUBLE_EQ(value("Detune1"), 100.0 / 198);
    skin->Wheel(true, 0.5, 20, 20);
    EXPECT_DOUBLE_EQ(value("Detune1"), 101.0 / 198);
    // A choice moves one entry a notch, Shift or not, and stops at the ends.
    setValue("Wave1", 0.0);
    skin->Wheel(false, 1, 70, 20);
    EXPECT_DOUBLE_EQ(value("Wave1"), 1.0 / 3);
    skin->Wheel(true, 1, 70, 20);
    EXPECT_DOUBLE_EQ(value("Wave1"), 2.0 / 3);
    skin->Wheel(false, 5, 70, 20);
    EXPECT_DOUBLE_EQ(value("Wave1"), 1.0);
    // A continuous parameter: a hundredth of the range, a thousandth with Shift.
    setValue("MainLvl", 0.5);
    skin->Wheel(false, 1, 270, 20);
    EXPECT_NEAR(value("MainLvl"), 0.51, 1e-12);
    skin->Wheel(true, 1, 270, 20);
    EXPECT_NEAR(value("MainLvl"), 0.511, 1e-12);
    skin->Wheel(false, -100, 270, 20);
    EXPECT_EQ(value("MainLvl"), 0.0);
    // The slider turns from anywhere on its track (199 steps: two a notch).
    setValue("Attk1", 0.0);
    EXPECT_TRUE(skin->Wheel(false, 1, 105, 10));
    EXPECT_DOUBLE_EQ(value("Attk1"), 2.0 / 199);
    // Nothing else takes the wheel, and a held control keeps the mouse.
    EXPECT_FALSE(skin->Wheel(false, 1, 150, 90));
    ASSERT_TRUE(skin->LeftDown(false, false, 20, 20));
    EXPECT_FALSE(skin->Wheel(false, 1, 270, 20));
    skin->LeftUp(false, false, 20, 20);
}

TEST_F(PotTest, ABurstOfNotchesIsOneGestureUntilQuietAPressOrAnotherControl) {
    gWheelNow = 5000;
    skin->setClock(wheelClock);
    int wave = param("Wave1");
    for (int i = 0; i < 3; ++i) {
        skin->Wheel(false, 1, 20, 20);
        gWheelNow += 100;
        skin->WheelIdle();
    }
    EXPECT_EQ(hostCalls(),
              (std::vector<HostCall>{begin(detune), automate(detune), automate(detune), automate(detune)}));
    gWheelNow += KSkin::kWheelQuietMs - 100;
    skin->WheelIdle();
    EXPECT_EQ(hostCalls().back(), end(detune));
    EXPECT_EQ(hostCalls().size(), 5u);

    // Another control under the wheel, the pointer moving off, a press.
    hostCalls().clear();
    skin->Wheel(false, 1, 20, 20);
    skin->Wheel(false, 1, 70, 20);
    skin->MouseMove(false, 150, 90);
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(detune), automate(detune), end(detune), begin(wave),
                                                  automate(wave), end(wave)}));
    hostCalls().clear();
    skin->Wheel(false, 1, 20, 20);
    skin->LeftDown(false, false, 20, 20);
    skin->LeftUp(false, false, 20, 20);
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(detune), automate(detune), end(detune), begin(detune),
                                                  automate(detune), end(detune)}));
    // Losing the focus ends it too.
    hostCalls().clear();
    skin->Wheel(false, -1, 20, 20);
    skin->CaptureLost();
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(detune), automate(detune), end(detune)}));
    skin->WheelIdle();
    EXPECT_EQ(hostCalls().size(), 3u);
}

}  // namespace
}  // namespace kx::testing
