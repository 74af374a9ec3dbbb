#include <cmath>

#include "controls/meters.h"
#include "controls/text_peak.h"
#include "controls/wave_display.h"
#include "skin/skin_fixture.h"

namespace kx::testing {
namespace {

// An instrument that publishes a level, a count and a history, as a product
// with meters would.
class MeterEffect : public SynthEffect {
public:
    explicit MeterEffect(audioMasterCallback host) : SynthEffect(host), history(50) {
        addDisplayValue(std::make_unique<KDisplayValue>("level", &level));
        addDisplayValue(std::make_unique<KDisplayValue>("marker", &marker));
        addDisplayValue(std::make_unique<KDisplayValue>("count", &count));
        addDisplayValue(std::make_unique<KDisplayValue>("wave", &history));
    }
    void executeCommand(int number, bool, bool) override { fired.push_back(number); }
    double level = 0;
    double marker = 0.5;
    int32_t count = 0;
    KHistory history;
    std::vector<int> fired;
};

class MeterTest : public ImageSkinTest {
protected:
    void SetUp() override {
        hostCalls().clear();
        effect.reset(meters = new MeterEffect(recordingHost));
        ASSERT_TRUE(loadWithImages(
            std::string(kBasicResources) +
            "AddResource ten TestImage 4 4 10\n"
            "AddResource two TestImage 4 4 2\n"
            "Init 200 200 1\n"
            "AddControl 1 0 0 100 10 KBarFracMeter level LeftToRight red\n"                            // 0
            "AddControl 1 0 20 10 100 KBarFracMeter level bottomtotop red\n"                           // 1
            "AddControl 1 20 20 4 4 KImgFracMeter level ten\n"                                         // 2
            "AddControl 1 30 20 4 4 KImgMeter count 0.5 1 ten\n"                                       // 3
            "AddControl 1 40 20 4 4 KImgPeak level FullRnd two\n"                                      // 4
            "AddControl 1 100 100 100 41 KWave wave marker Null red green blue\n"                      // 5
            "AddControl 1 0 150 200 50 KZoomWave wave Null Null red green blue half red green font\n"  // 6
            "AddControl 1 50 20 40 10 KTextPeak level FullRnd font font\n"                             // 7
            "AddControl 1 0 0 10 10 KBarFracMeter nosuch LeftToRight red\n"
            "AddControl 1 0 0 10 10 KImgMeter count 0 1 ten\n"  // scale 0
            "AddControl 1 0 0 10 10 KImgMeter level 1 0 ten\n"  // a real, not an integer
            "AddControl 1 0 0 10 10 KWave level Null Null red red red\n"));
        ASSERT_EQ(skin->controlCount(), 8u);
    }
    int frameOf(int i) { return static_cast<KFrameMeter*>(skin->control(i))->CurrentFrame(); }
    MeterEffect* meters = nullptr;
};

TEST_F(MeterTest, BarFillsItsFraction) {
    meters->level = 0.5;
    paintNew();
    EXPECT_EQ(pixel(49, 5), 0xFF0000u);
    EXPECT_EQ(pixel(50, 5), 0u);
    EXPECT_EQ(pixel(5, 69), 0u);  // bottom to top: rows 70..119
    EXPECT_EQ(pixel(5, 70), 0xFF0000u);
    meters->level = 1.7;
    paint();
    EXPECT_EQ(pixel(99, 9), 0xFF0000u);
    meters->level = -3;
    paint();
    EXPECT_EQ(pixel(0, 0), 0u);
}

TEST_F(MeterTest, FrameMetersPickTheirFrames) {
    meters->level = 0.99;
    EXPECT_EQ(frameOf(2), 8);
    meters->level = 1;
    EXPECT_EQ(frameOf(2), 9);
    meters->level = 1e300;
    EXPECT_EQ(frameOf(2), 9);
    meters->level = std::nan("");
    EXPECT_EQ(frameOf(2), 0);
    meters->count = 5;  // 5 * 0.5 + 1 + 0.5 = 4
    EXPECT_EQ(frameOf(3), 4);
    meters->count = 2147483647;
    EXPECT_EQ(frameOf(3), 9);
    meters->count = -40;
    EXPECT_EQ(frameOf(3), 0);
    meters->level = 0.999;
    EXPECT_EQ(frameOf(4), 0);
    meters->level = 1;
    EXPECT_EQ(frameOf(4), 1);
}

TEST_F(MeterTest, PeakControlsRunTheirCommandWithoutCapture) {
    EXPECT_FALSE(skin->LeftDown(false, false, 41, 21));
    EXPECT_FALSE(skin->LeftDown(false, false, 60, 25));
    EXPECT_EQ(meters->fired, (std::vector<int>{kCmdFullRandom, kCmdFullRandom}));
    EXPECT_EQ(skin->CursorAt(60, 25), 2);
}

TEST_F(MeterTest, PeakTextInDecibels) {
    char text[32];
    bool over = true;
    KTextPeak::formatPeak(0.5, text, sizeof text, over);
    EXPECT_STREQ(text, "Peak: -6.0 dB");
    EXPECT_FALSE(over);
    KTextPeak::formatPeak(2, text, sizeof text, over);
    EXPECT_STREQ(text, "Peak: 6.0 dB");
    EXPECT_TRUE(over);
    meters->level = 5e-7;  // below the floor: silence
    EXPECT_EQ(static_cast<KTextPeak*>(skin->control(7))->level(), 0.0);
    KTextPeak::formatPeak(0, text, sizeof text, over);
    EXPECT_STREQ(text, "Peak: -Inf dB");
}

TEST_F(MeterTest, WaveFillsOnlyAsManyColumnsAsItHasSlots) {
    KHistory& h = meters->history;
    for (int i = 0; i < h.capacity; ++i) {
        h.outerLow[i] = -1;
        h.outerHigh[i] = 1;
        h.innerLow[i] = -0.25;
        h.innerHigh[i] = 0.25;
    }
    h.writePosition = 7;
    h.changeCounter = 1;
    paintNew();
    // Middle row 20, scale 19: the outer band covers rows 1..38 on the right half.
    EXPECT_EQ(pixel(149, 105), 0u);
    EXPECT_EQ(pixel(150, 105), 0xFF0000u);
    EXPECT_EQ(pixel(199, 102), 0xFF0000u);
    EXPECT_EQ(pixel(199, 115), 0x00FF00u);  // inner band, row 15 of the control
    EXPECT_EQ(pixel(120, 120), 0x0000FFu);  // the centre line spans the width
    // Marker at 0.5: rows 20 -+ 10 (nearest of 9.5 is 10).
    EXPECT_EQ(pixel(120, 110), 0x0000FFu);
    EXPECT_EQ(pixel(120, 130), 0x0000FFu);
    KControl* wave = skin->control(5);
    EXPECT_FALSE(wave->NeedsDraw(*canvas));
    ++h.changeCounter;
    EXPECT_TRUE(wave->NeedsDraw(*canvas));
    // A write position out of range stays inside the arrays.
    h.writePosition = 1000;
    paint();
    h.writePosition = -1000;
    paint();
    h.capacity = 5000;  // more than the arrays hold: only what they hold is read
    ++h.changeCounter;
    paint();
}

TEST_F(MeterTest, ZoomBarDragsAndCtrlClickResets) {
    auto* zoom = static_cast<KZoomWave*>(skin->control(6));
    EXPECT_STREQ(zoom->zoomText(), "1.00x");
    EXPECT_EQ(skin->CursorAt(100, 160), 0);  // above the bar
    EXPECT_EQ(skin->CursorAt(100, 190), 2);
    EXPECT_FALSE(skin->LeftDown(false, false, 100, 160));
    EXPECT_TRUE(skin->LeftDown(false, false, 179, 190));  // x - 20 = travel: the top
    EXPECT_FLOAT_EQ(zoom->zoom(), 10.0f);
    EXPECT_STREQ(zoom->zoomText(), "10.00x");
    skin->MouseMove(false, 20, 190);
    EXPECT_FLOAT_EQ(zoom->zoom(), 0.1f);
    EXPECT_EQ(zoom->handleX(), 1);
    EXPECT_TRUE(skin->LeftUp(false, false, 20, 190));
    EXPECT_TRUE(skin->LeftDown(false, true, 60, 190));
    EXPECT_FLOAT_EQ(zoom->zoom(), 1.0f);
    EXPECT_STREQ(zoom->zoomText(), "1.00x");
    skin->MouseMove(false, 150, 190);  // a reset press doesn't drag
    EXPECT_FLOAT_EQ(zoom->zoom(), 1.0f);
    skin->CaptureLost();
    EXPECT_EQ(skin->CursorAt(100, 160), 0);
}

TEST_F(MeterTest, ZoomedMarkersRestOnTheEdgeRowsOfTheWaveArea) {
    ASSERT_TRUE(
        loadWithImages(std::string(kBasicResources) +
                       "Init 200 100 1\n"
                       "AddControl 1 0 0 100 56 KZoomWave wave marker Null red green blue half red green font\n"
                       "AddControl 1 0 70 100 16 KZoomWave wave marker Null red green blue half red green font\n"));
    auto* zoom = static_cast<KZoomWave*>(skin->control(0));
    // Wave area rows 0..39 (middle 20, scale 19), zoom bar rows 40..55; the
    // marker at 0.5 lies 95 rows off the middle at ten times.
    zoom->setZoom(10);
    paintNew();
    const uint32_t line = 0x0000FF, bar = 0x808080;  // blue; half white over black
    EXPECT_EQ(pixel(30, 0), line);
    EXPECT_EQ(pixel(30, 39), line);
    EXPECT_EQ(pixel(30, 20), line);  // the centre line
    EXPECT_EQ(pixel(30, 1), 0u);
    EXPECT_EQ(pixel(30, 38), 0u);
    EXPECT_EQ(pixel(30, 40), bar);  // nothing of the wave under the bar
    // A display no taller than its bar has no wave area: only the bar shows.
    for (int y = 70; y < 86; ++y)
        EXPECT_EQ(pixel(30, y), bar) << "row " << y;
}

}  // namespace
}  // namespace kx::testing
