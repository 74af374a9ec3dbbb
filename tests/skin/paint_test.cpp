#include <chrono>

#include "skin_fixture.h"

namespace kx::testing {
namespace {

using PaintTest = ImageSkinTest;

const char* kTwoPages =
    "AddResource bg TestImage 100 60 2\n"
    "AddResource hl RGBAColour 255 255 255 255\n"
    "AddResource dot RGBColour 255 0 0\n"
    "AddResource font DefFont 12 dot\n"
    "Init 100 60 2\n"
    "BackgroundMap bg\n"
    "AddControl 0 0 0 20 10 KPageSelHlt 1 hl\n"
    "AddControl 0 20 0 20 10 KPageSelHlt 2 hl\n"
    "AddControl 2 50 20 40 40 KPotDot Detune1 hl 11 dot\n";

TEST_F(PaintTest, BackgroundMapShowsOneFramePerPageAndTheFooter) {
    ASSERT_TRUE(loadWithImages(kTwoPages));
    EXPECT_EQ(skin->backgroundCount(), 1u);
    paintNew();
    EXPECT_EQ(pixel(5, 30), frameColour(0) & 0xFFFFFF);
    EXPECT_EQ(pixel(70, 40), frameColour(0) & 0xFFFFFF);  // the page-2 dial isn't drawn
    EXPECT_EQ(pixel(0, 65), 0u);                          // footer strip
    // Pressing the second tab switches at once; the tab stays lit while held.
    int before = window.invalidations;
    EXPECT_TRUE(skin->LeftDown(false, false, 25, 5));
    EXPECT_GT(window.invalidations, before);
    EXPECT_EQ(skin->GetPage(), 2);
    paint();
    EXPECT_EQ(pixel(5, 30), frameColour(1) & 0xFFFFFF);
    EXPECT_EQ(pixel(25, 5), 0xFFFFFFu);
    EXPECT_EQ(pixel(5, 5), frameColour(1) & 0xFFFFFF);
    EXPECT_TRUE(skin->LeftUp(false, false, 25, 5));
    paint();
    EXPECT_EQ(pixel(25, 5), frameColour(1) & 0xFFFFFF);
    // The dial of page 2 was drawn: its dot (at v = 0.5, straight up) is red.
    EXPECT_EQ(pixel(70, 29), 0xFF0000u);
}

TEST_F(PaintTest, PageBeyondTheCountShowsOnlyEveryPageControlsOnTheColour) {
    ASSERT_TRUE(loadWithImages(std::string("BackgroundCol 0 0 200\n") + kTwoPages));
    paintNew();
    skin->SetPage(3);
    skin->LeftDown(false, false, 5, 5);  // tab of page 1, shown on every page, lit
    skin->SetPage(3);
    paint();
    EXPECT_EQ(pixel(50, 30), 200u);
    EXPECT_EQ(pixel(5, 5), 0xFFFFFFu);
}

// A dial drag repaints the dial and its read-out and leaves every other
// pixel of the canvas alone.
TEST_F(PaintTest, DialDragRepaintsOnlyTheDialAndItsReadout) {
    ASSERT_TRUE(
        loadWithImages("AddResource bg TestImage 200 100 1\n"
                       "AddResource hl RGBAColour 255 255 255 60\n"
                       "AddResource dot RGBColour 255 0 0\n"
                       "AddResource font DefFont 12 dot\n"
                       "Init 200 100 1\n"
                       "BackgroundMap bg\n"
                       "AddControl 1 10 10 40 40 KPotDot Detune1 hl 11 dot\n"
                       "AddControl 1 0 55 60 15 KValue Detune1 font\n"
                       "AddControl 1 110 10 40 40 KPotDot Attk1 hl 11 dot\n"
                       "AddControl 1 100 55 60 15 KValue Attk1 font\n"));
    paintNew();
    auto inside = [](int x, int y) {
        return (x >= 10 && x < 50 && y >= 10 && y < 50) || (x >= 0 && x < 60 && y >= 55 && y < 70);
    };
    const uint32_t kSentinel = 0xFF123456u;
    std::vector<uint32_t> before(canvas->pixels(), canvas->pixels() + canvas->width() * canvas->height());
    for (int y = 0; y < canvas->height(); ++y)
        for (int x = 0; x < canvas->width(); ++x)
            if (!inside(x, y))
                canvas->pixels()[y * canvas->width() + x] = kSentinel;

    EXPECT_TRUE(skin->LeftDown(false, false, 30, 30));
    skin->MouseMove(false, 30, 10);
    paint();
    EXPECT_TRUE(skin->LeftUp(false, false, 30, 10));
    paint();
    EXPECT_NEAR(value("Detune1"), 0.7, 1e-12);

    int changedInside = 0;
    for (int y = 0; y < canvas->height(); ++y)
        for (int x = 0; x < canvas->width(); ++x) {
            uint32_t p = canvas->pixels()[y * canvas->width() + x];
            if (!inside(x, y))
                ASSERT_EQ(p, kSentinel) << "repainted at " << x << "," << y;
            else
                changedInside += p != before[y * canvas->width() + x];
        }
    EXPECT_GT(changedInside, 0);
}

TEST_F(PaintTest, OverlappingControlsFirstTakesTheMouseLastDrawsOnTop) {
    ASSERT_TRUE(
        loadWithImages("AddResource a TestImage 20 20 1\n"
                       "AddResource b TestImage 20 20 2 2\n"
                       "AddResource hl RGBColour 1 1 1\n"
                       "Init 40 40 2\n"
                       "AddControl 1 0 0 20 20 KImgPageSel a 2\n"
                       "AddControl 1 0 0 20 20 KImg b\n"));
    paintNew();
    EXPECT_EQ(pixel(10, 10), frameColour(0) & 0xFFFFFF);  // b's frame 0 over a
    EXPECT_EQ(pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(skin->CursorAt(10, 10), 2);  // the page selector's hand, not KImg's arrow
    EXPECT_TRUE(skin->LeftDown(false, false, 10, 10));
    EXPECT_EQ(skin->GetPage(), 2);
}

TEST_F(PaintTest, CapturedControlOnAnotherPageGetsNoEvents) {
    ASSERT_TRUE(
        loadWithImages("AddResource hl RGBColour 1 1 1\n"
                       "Init 100 100 2\n"
                       "AddControl 1 0 0 40 40 KPotDot Detune1 hl 11 hl\n"));
    setValue("Detune1", 0.5);
    EXPECT_TRUE(skin->LeftDown(false, false, 20, 20));
    EXPECT_EQ(skin->capturedIndex(), 0);
    skin->SetPage(2);
    skin->MouseMove(false, 20, 0);
    EXPECT_DOUBLE_EQ(value("Detune1"), 0.5);
    EXPECT_FALSE(skin->LeftUp(false, false, 20, 0));
    EXPECT_EQ(skin->MouseMove(false, 20, 20), 1);  // arrow
    // Losing the capture still ends the edit gesture.
    skin->CaptureLost();
    EXPECT_EQ(skin->capturedIndex(), -1);
    EXPECT_EQ(hostCalls().back(), end(param("Detune1")));
}

TEST_F(PaintTest, PressNotTakenDoesNotCaptureAndReleaseGoesUnderThePointer) {
    ASSERT_TRUE(loadWithImages(std::string(kBasicResources) + "Init 100 100 1\n"
                                                              "AddControl 1 0 0 50 20 KValue Detune1 font\n"
                                                              "AddControl 1 0 50 50 50 KImgCommand FullRnd nosuch\n"
                                                              "AddResource img TestImage 50 50 2\n"
                                                              "AddControl 1 0 50 50 50 KImgCommand FullRnd img\n"));
    EXPECT_FALSE(skin->LeftDown(false, false, 10, 10));  // opens the text box only
    ASSERT_EQ(window.entries.size(), 1u);
    EXPECT_EQ(window.entries[0].param, param("Detune1"));
    EXPECT_EQ(window.entries[0].w, 50);
    EXPECT_EQ(skin->capturedIndex(), -1);
    EXPECT_EQ(skin->CursorAt(10, 10), 3);
    EXPECT_FALSE(skin->LeftUp(false, false, 10, 60));  // the command was never pressed
}

TEST_F(PaintTest, RepaintRequestsRespectSuspensionAndADeadWindow) {
    ASSERT_TRUE(load("Init 10 10 1\n"));
    skin->SuspendRepaint(true);
    skin->RequestRepaint();
    EXPECT_EQ(window.invalidations, 0);
    skin->SuspendRepaint(false);  // clearing asks for one
    EXPECT_EQ(window.invalidations, 1);
    window.live = false;
    skin->RequestRepaint();
    EXPECT_EQ(skin->window(), nullptr);
    EXPECT_EQ(window.invalidations, 1);
}

TEST_F(PaintTest, HugePageCountCostsOneBackgroundEntry) {
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(loadWithImages("AddResource bg TestImage 4 4 3\nInit 4 4 2000000000\nBackgroundMap bg\n"));
    EXPECT_EQ(skin->backgroundCount(), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // Frame count differs from the page count: frame 0 on every page.
    paintNew();
    EXPECT_EQ(pixel(2, 2), frameColour(0) & 0xFFFFFF);
    skin->SetPage(1999999999);
    skin->RequestFullRedraw();
    paint();
    EXPECT_EQ(pixel(2, 2), frameColour(0) & 0xFFFFFF);
}

TEST_F(PaintTest, ImageWithThreeFramesOnTwoPagesShowsFrameZeroOnBoth) {
    ASSERT_TRUE(
        loadWithImages("AddResource bg TestImage 4 4 3\nInit 4 4 2\nBackgroundMap bg\n"
                       "BackgroundImage 0 bg 3\n"));
    paintNew();
    EXPECT_EQ(pixel(2, 2), frameColour(0) & 0xFFFFFF);
    skin->SetPage(2);
    paint();
    EXPECT_EQ(pixel(2, 2), frameColour(0) & 0xFFFFFF);
    skin->SetPage(5);  // only the page-0 entry, frame 3 of the script
    paint();
    EXPECT_EQ(pixel(2, 2), frameColour(2) & 0xFFFFFF);
}

// Rectangles and events at the ends of the int range: nothing overflows
// (the sanitizer build checks), the controls still work.
TEST_F(PaintTest, ExtremeGeometryAndEvents) {
    ASSERT_TRUE(loadWithImages(
        std::string(kBasicResources) +
        "AddResource img TestImage 10 10 1\n"
        "Init 50 50 1\n"
        "AddControl 1 -2147483648 -2147483648 2147483647 2147483647 KPotDot Detune1 red 11 red\n"
        "AddControl 1 2147483647 0 -2147483648 10 KSlide Attk1 img red 2147483647 0 1 1\n"
        "AddControl 1 -5 -5 2147483647 2147483647 KZoomWave nosuch Null Null red red red red red red font\n"
        "AddControl 1 -5 -5 2147483647 -2147483648 KHlSwitch Noise1 -2147483648 0 2147483647 5 red red red\n"));
    paintNew();
    const int big = 2147483647, small = -2147483647 - 1;
    for (int x : {small, -1, 0, 25, big})
        for (int y : {small, 0, big}) {
            skin->LeftDown(true, false, x, y);
            skin->MouseMove(true, y, x);
            skin->RightDown(false, true, x, y);
            skin->LeftUp(false, false, x, y);
            paint();
        }
    skin->CaptureLost();
    // The dial (over the negative quarter) still takes a drag, as one gesture.
    setValue("Detune1", 0.2);
    hostCalls().clear();
    const int before = window.invalidations;
    ASSERT_TRUE(skin->LeftDown(false, false, -100, -100));
    skin->MouseMove(false, -100, -110);
    skin->LeftUp(false, false, -100, -110);
    EXPECT_NEAR(value("Detune1"), 0.3, 1e-12);
    EXPECT_GT(window.invalidations, before);
    const int detune = param("Detune1");
    EXPECT_EQ(hostCalls(), (std::vector<HostCall>{begin(detune), automate(detune), automate(detune), end(detune)}));
    paint();
}

// A skin asking for more pixels than can be held gets an empty canvas: the
// editor opens showing nothing, and painting and events stay harmless.
TEST_F(PaintTest, SkinTooLargeToHoldPaintsNothingOnItsEmptyCanvas) {
    ASSERT_TRUE(loadWithImages(std::string(kBasicResources) +
                               "Init 2147483647 2147483635 1\n"
                               "AddControl 1 0 0 40 40 KPotDot Detune1 red 11 red\n"
                               "AddControl 1 0 50 200 60 KZoomWave nosuch Null Null red red red red red red font\n"));
    ASSERT_EQ(skin->height(), 2147483647);
    KCanvas* empty = nullptr;
    ASSERT_NO_THROW(empty = &paintNew());
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_TRUE(skin->LeftDown(false, false, 20, 20));
    skin->MouseMove(false, 20, 0);
    EXPECT_TRUE(skin->LeftUp(false, false, 20, 0));
    paint();
}

TEST_F(PaintTest, DefaultSkinButtonsAndTabs) {
    KMemorySource source(kSkinFileName);
    skin = parseSkin(source, effect.get());
    ASSERT_TRUE(skin);
    // The presses below aim at the default skin's Part Random button and
    // info tab: a changed skin fails here rather than passing unchecked.
    ASSERT_EQ(skin->controlCount(), 77u) << "the default skin changed";
    auto placed = [&](const char* className, int x, int y, int w, int h) {
        for (size_t i = 0; i < skin->controlCount(); ++i) {
            const KControl* c = skin->control(i);
            if (c->isClass(className) && c->x() == x && c->y() == y && c->width() == w && c->height() == h)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(placed("KImgCommand", 15, 70, 85, 20)) << "Part Random moved";
    ASSERT_TRUE(placed("KPageSelHlt", 243, 3, 44, 16)) << "the info tab moved";
    skin->setWindow(&window);
    skin->WindowOpened();
    paintNew();
    // Part Random at (15, 70) 85 x 20: its pressed frame differs from the rest one.
    std::vector<uint32_t> rest;
    for (int y = 70; y < 90; ++y)
        for (int x = 15; x < 100; ++x)
            rest.push_back(pixel(x, y));
    ASSERT_TRUE(skin->LeftDown(false, false, 50, 80));
    paint();
    int differ = 0, i = 0;
    for (int y = 70; y < 90; ++y)
        for (int x = 15; x < 100; ++x)
            differ += pixel(x, y) != rest[i++];
    EXPECT_GT(differ, 100);
    skin->CaptureLost();
    paint();
    i = 0;
    for (int y = 70; y < 90; ++y)
        for (int x = 15; x < 100; ++x)
            ASSERT_EQ(pixel(x, y), rest[i++]);
    // The info tab switches to page 2 on the press, lit by alpha 20 while held.
    uint32_t page1 = pixel(300, 200);
    ASSERT_TRUE(skin->LeftDown(false, false, 260, 10));
    EXPECT_EQ(skin->GetPage(), 2);
    paint();
    EXPECT_NE(pixel(300, 200), page1);
    uint32_t held = pixel(250, 5);
    ASSERT_TRUE(skin->LeftUp(false, false, 260, 10));
    paint();
    uint32_t released = pixel(250, 5);
    EXPECT_NE(held, released);
    EXPECT_NEAR(int(held & 0xFF), int(released & 0xFF) + (250 - int(released & 0xFF)) * 20 / 255, 1);
}

// --- image resources -----------------------------------------------------------

TEST(ImageResource, FramesAreCellsLeftToRightThenTopToBottom) {
    KImageResource img(makeFrameImage(85, 20, 2, 2), 85, 20, 2);
    EXPECT_EQ(img.columns(), 2);
    EXPECT_EQ(img.rows(), 1);
    KCanvas canvas(100, 30);
    canvas.fillRect(0, 0, 100, 30, KColour{});
    img.drawFrame(canvas, 1, 0, 0);
    EXPECT_EQ(canvas.pixels()[0], 0xFFFFFFFFu);
    EXPECT_EQ(canvas.pixels()[5 * 100 + 5], frameColour(1));
    KImageResource grid(makeFrameImage(4, 4, 6, 3), 4, 4, 6);
    canvas.fillRect(0, 0, 100, 30, KColour{});
    grid.drawFrame(canvas, 4, 0, 0);  // column 1, row 1
    EXPECT_EQ(canvas.pixels()[2 * 100 + 2], frameColour(4));
}

TEST(ImageResource, FramesOutsideTheImageDrawNothing) {
    KCanvas canvas(20, 20);
    canvas.fillRect(0, 0, 20, 20, KColour{});
    // Three frames declared on two cells: nothing at all.
    KImageResource short3(makeFrameImage(4, 4, 2, 2), 4, 4, 3);
    short3.drawFrame(canvas, 0, 0, 0);
    // Frame 1 of a one-frame image, and negative frames, read nothing.
    KImageResource one(makeFrameImage(4, 4, 1, 1), 4, 4, 1);
    one.drawFrame(canvas, 1, 0, 0);
    one.drawFrame(canvas, -1, 0, 0);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(canvas.pixels()[i], 0xFF000000u);
}

TEST(ImageResource, FramePartIsCutToTheFrame) {
    KImageResource img(makeFrameImage(4, 4, 2, 2), 4, 4, 2);
    KCanvas canvas(20, 20);
    canvas.fillRect(0, 0, 20, 20, KColour{});
    // A part reaching past frame 0's right and bottom edges stops there
    // instead of showing frame 1 or reading below the image.
    img.drawFramePart(canvas, 0, 2, 2, 10, 10);
    EXPECT_EQ(canvas.pixels()[0], frameColour(0));
    EXPECT_EQ(canvas.pixels()[1], frameColour(0));
    EXPECT_EQ(canvas.pixels()[2], 0xFF000000u);
    EXPECT_EQ(canvas.pixels()[2 * 20], 0xFF000000u);
    // A part starting left of the frame lands further right on the canvas.
    canvas.fillRect(0, 0, 20, 20, KColour{});
    img.drawFramePart(canvas, 1, -3, 0, 5, 1);
    EXPECT_EQ(canvas.pixels()[2], 0xFF000000u);
    EXPECT_EQ(canvas.pixels()[3], 0xFFFFFFFFu);  // frame 1's marked corner
    EXPECT_EQ(canvas.pixels()[4], frameColour(1));
}

}  // namespace
}  // namespace kx::testing
