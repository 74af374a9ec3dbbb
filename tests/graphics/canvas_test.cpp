#include "graphics/canvas.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "graphics/blend.h"

namespace kx {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kMarker = 0x12345678u;  // alpha 0x12: shows whether a pixel was written

KCanvas filledCanvas(int32_t w, int32_t h, uint32_t p) {
    KCanvas c(w, h);
    for (int32_t i = 0; i < w * h; ++i)
        c.pixels()[i] = p;
    return c;
}

uint32_t px(const KCanvas& c, int32_t x, int32_t y) { return c.pixels()[y * c.width() + x]; }

int countNot(const KCanvas& c, uint32_t p) {
    int n = 0;
    for (int32_t i = 0; i < c.width() * c.height(); ++i)
        n += c.pixels()[i] != p;
    return n;
}

TEST(BlendPixel, FullAlphaGivesSourceAndZeroAlphaKeepsColourButMakesOpaque) {
    EXPECT_EQ(blendPixel(0x00102030u, 200, 100, 50, 255 * kInv255), 0xFFC86432u);
    EXPECT_EQ(blendPixel(0x00102030u, 200, 100, 50, 0 * kInv255), 0xFF102030u);
    EXPECT_EQ(blendPixel(kBlack, 255, 255, 255, 128 * kInv255), 0xFF808080u);
    EXPECT_EQ(blendPixel(0xFFFFFFFFu, 0, 0, 0, 128 * kInv255), 0xFF7F7F7Fu);
    // Truncation, not rounding: 200 * 2/255 = 1.57 gives 1.
    EXPECT_EQ(blendPixel(kBlack, 200, 200, 200, 2 * kInv255), 0xFF010101u);
}

TEST(Canvas, SizesBeyondTheCapOrOverflowingGiveAnEmptyCanvasWithoutThrowing) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const struct {
        int32_t w, h;
    } sizes[] = {
        {kMax, kMax},    // bytes overflow 64-bit vector limits
        {65536, 65536},  // pixel count overflows 32 bits
        {kMax, 2},       // one huge side
        {8192, 8193},    // one row over the cap
        {-1, 100},      {100, 0}, {std::numeric_limits<int32_t>::min(), -1},
    };
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << s.w << " x " << s.h);
        std::unique_ptr<KCanvas> c;
        ASSERT_NO_THROW(c = std::make_unique<KCanvas>(s.w, s.h));
        EXPECT_TRUE(c->isEmpty());
        EXPECT_EQ(c->pixels(), nullptr);
        EXPECT_EQ(c->width(), 0);
        EXPECT_EQ(c->height(), 0);
        // Drawing on it is harmless.
        c->setClip(0, 0, s.w, s.h);
        c->fillRect(0, 0, 100, 100, {255, 0, 0, 255});
        c->drawDot(5, 5, 4, {255, 0, 0, 255});
        EXPECT_EQ(c->snapshot(1, 1), nullptr);
    }
    KCanvas wide(1 << 20, 4);  // long but within the cap
    EXPECT_FALSE(wide.isEmpty());
    EXPECT_EQ(wide.width(), 1 << 20);
}

TEST(Canvas, ClipWindowIsClampedToTheCanvasAndNegativeSizesDrawNothing) {
    KCanvas c(100, 50);
    c.setClip(-10, 30, 500, 500);
    EXPECT_EQ(c.clipX(), 0);
    EXPECT_EQ(c.clipY(), 30);
    EXPECT_EQ(c.clipW(), 100);
    EXPECT_EQ(c.clipH(), 20);
    c.setClip(120, 10, 5, -3);
    EXPECT_EQ(c.clipX(), 100);
    EXPECT_EQ(c.clipW(), 0);
    EXPECT_EQ(c.clipH(), -3);

    KCanvas d = filledCanvas(20, 20, kMarker);
    d.setClip(5, 5, -4, 10);
    d.fillRect(0, 0, 10, 10, {});
    d.blendRect(0, 0, 10, 10, {});
    d.blendHLine(0, 1, 10, {});
    d.blendVLine(0, 0, 10, {});
    d.drawDot(2, 2, 3, {});
    d.drawLine(0, 0, 10, 10, {});
    EXPECT_EQ(d.snapshot(1, 1), nullptr);
    EXPECT_EQ(countNot(d, kMarker), 0);
    d.resetClip();
    EXPECT_EQ(d.clipW(), 20);
    EXPECT_EQ(d.clipH(), 20);
}

TEST(Canvas, FillRectMovesANegativeOriginWithoutShorteningAndStaysInTheClip) {
    KCanvas c = filledCanvas(120, 120, kMarker);
    c.setClip(10, 10, 100, 100);
    c.fillRect(-5, 0, 20, 10, {1, 2, 3, 0});  // the colour's alpha is ignored
    for (int32_t y = 0; y < 120; ++y)
        for (int32_t x = 0; x < 120; ++x) {
            const bool inside = x >= 10 && x < 30 && y >= 10 && y < 20;
            ASSERT_EQ(px(c, x, y), inside ? 0xFF010203u : kMarker) << x << "," << y;
        }
    c.fillRect(95, 95, 50, 50, {});  // cut at the clip window's far edges
    EXPECT_EQ(countNot(c, kMarker), 200 + 25);
    EXPECT_EQ(px(c, 109, 109), kBlack);
    EXPECT_EQ(px(c, 110, 109), kMarker);
}

TEST(Canvas, BlendRectAndLinesUseTheColourAlpha) {
    KCanvas c = filledCanvas(40, 40, kBlack);
    c.blendRect(0, 0, 2, 2, {255, 255, 255, 51});  // 255 * 0.2
    EXPECT_EQ(px(c, 1, 1), 0xFF333333u);
    EXPECT_EQ(px(c, 2, 1), kBlack);

    c.blendVLine(5, 10, 10, {255, 0, 0, 255});
    EXPECT_EQ(countNot(c, kBlack), 4);
    c.blendVLine(5, 20, 10, {255, 0, 0, 255});
    for (int32_t y = 0; y < 40; ++y)
        EXPECT_EQ(px(c, 5, y), y >= 10 && y < 20 ? 0xFFFF0000u : kBlack) << y;
    c.blendVLine(40, 0, 40, {});  // x outside the clip window
    c.blendVLine(6, -100, 100, {0, 255, 0, 255});
    EXPECT_EQ(px(c, 6, 0), 0xFF00FF00u);
    EXPECT_EQ(px(c, 6, 39), 0xFF00FF00u);

    c.blendHLine(30, 30, 10, {0, 0, 255, 255});
    EXPECT_EQ(px(c, 9, 30), kBlack);
    EXPECT_EQ(px(c, 10, 30), 0xFF0000FFu);
    EXPECT_EQ(px(c, 29, 30), 0xFF0000FFu);
    EXPECT_EQ(px(c, 30, 30), kBlack);
    c.blendHLine(0, -1, 40, {});
    c.blendHLine(0, 40, 40, {});
    EXPECT_EQ(countNot(c, kBlack), 4 + 10 + 40 + 20);
}

KImage rampImage(int32_t w, int32_t h) {
    KImage image;
    image.width = w;
    image.height = h;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.pixels.push_back(packPixel(uint8_t(x), uint8_t(y), 7, 255));
    return image;
}

TEST(Canvas, BlitImageCutsANegativeDestinationFromTheSource) {
    const KImage image = rampImage(10, 4);
    KCanvas c = filledCanvas(20, 10, kMarker);
    c.blitImage(image, KRect{0, 0, 10, 4}, KPoint{-3, 0});
    for (int32_t x = 0; x < 20; ++x)
        EXPECT_EQ(px(c, x, 0), x < 7 ? packPixel(uint8_t(x + 3), 0, 7) : kMarker) << x;
    // Per-pixel alpha: a transparent pixel leaves the canvas colour, opaque alpha byte.
    KImage ghost = rampImage(1, 1);
    ghost.pixels[0] = 0x00FFFFFFu;
    c.blitImage(ghost, KRect{0, 0, 1, 1}, KPoint{15, 5});
    EXPECT_EQ(px(c, 15, 5), kMarker | 0xFF000000u);
    c.blitImage(image, nullptr, nullptr);
}

TEST(Canvas, BlitImageBlendsEveryAlphaByTheOneRule) {
    // Opaque and transparent pixels take shortcuts; they must agree with the
    // blend bit for bit, as every partial alpha does.
    KImage image;
    image.width = 256;
    image.height = 1;
    for (uint32_t a = 0; a < 256; ++a)
        image.pixels.push_back(a << 24 | packPixel(200, uint8_t(a), 13, 0));
    const uint32_t dst = 0x12507090u;  // alpha byte 0x12: the canvas alpha is never read
    KCanvas c = filledCanvas(256, 1, dst);
    c.blitImage(image, KRect{0, 0, 256, 1}, KPoint{0, 0});
    for (uint32_t a = 0; a < 256; ++a)
        EXPECT_EQ(px(c, int32_t(a), 0), blendPixel(dst, 200, a, 13, a * kInv255)) << a;
}

TEST(Canvas, BlitImageNeverReadsOutsideTheImage) {
    const KImage image = rampImage(4, 4);
    KCanvas c = filledCanvas(10, 10, kMarker);
    // Source rectangle sticking out on every side: only the image's own
    // pixels are drawn, each where it would have landed.
    c.blitImage(image, KRect{-2, -1, 10, 10}, KPoint{1, 1});
    EXPECT_EQ(px(c, 2, 1), kMarker);
    EXPECT_EQ(px(c, 3, 2), packPixel(0, 0, 7));
    EXPECT_EQ(px(c, 6, 5), packPixel(3, 3, 7));
    EXPECT_EQ(px(c, 7, 5), kMarker);
    EXPECT_EQ(countNot(c, kMarker), 16);
    c.blitImage(image, KRect{100, 100, 4, 4}, KPoint{0, 0});
    c.blitImage(KImage{}, KRect{0, 0, 4, 4}, KPoint{0, 0});
    EXPECT_EQ(countNot(c, kMarker), 16);
}

TEST(Canvas, SnapshotCopiesTheClipCornerOpaqueAndRefusesWhatDoesNotFit) {
    KCanvas c = filledCanvas(10, 10, 0x00000000u);
    c.pixels()[3 * 10 + 2] = 0x00ABCDEFu;
    c.setClip(2, 3, 5, 5);
    EXPECT_EQ(c.snapshot(6, 1), nullptr);
    EXPECT_EQ(c.snapshot(1, 6), nullptr);
    auto image = c.snapshot(5, 5);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 5);
    EXPECT_EQ(image->height, 5);
    EXPECT_EQ(image->pixels[0], 0xFFABCDEFu);
    EXPECT_EQ(image->pixels[1], 0xFF000000u);
    // A snapshot blitted back at (0, 0) restores the background exactly.
    c.fillRect(0, 0, 5, 5, {9, 9, 9});
    c.blitImage(*image, KRect{0, 0, 5, 5}, KPoint{0, 0});
    EXPECT_EQ(px(c, 2, 3), 0xFFABCDEFu);
    EXPECT_EQ(px(c, 3, 3), 0xFF000000u);
}

TEST(Canvas, DotOfHalfPixelRadiusCoversItsPixelOnly) {
    KCanvas c = filledCanvas(20, 20, kMarker);
    c.drawDot(10.5, 10.5, 0.5, {255, 255, 255, 255});
    EXPECT_EQ(px(c, 10, 10), 0xFFFFFFFFu);
    // Rim pixels without an inside sample keep their colour but become opaque.
    EXPECT_EQ(px(c, 11, 10), kMarker | 0xFF000000u);
    EXPECT_EQ(px(c, 10, 11), kMarker | 0xFF000000u);
    EXPECT_EQ(px(c, 11, 11), kMarker);  // outside the rim band
    for (int32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(px(c, 9, i), kMarker);
        EXPECT_EQ(px(c, i, 9), kMarker);
    }
}

TEST(Canvas, DotRimCoverageCountsInsideSamples) {
    KCanvas c = filledCanvas(20, 20, kBlack);
    c.drawDot(10.5, 10.5, 1.0, {255, 255, 255, 255});
    // Pixel (11, 10): 4 of 9 samples within the radius (one lies exactly on it).
    EXPECT_EQ(px(c, 11, 10), 0xFF717171u);  // trunc(255 * 4/9) = 113
    EXPECT_EQ(px(c, 10, 10), 0xFFFFFFFFu);
    // Pixel (11, 11): the corner, D = 2, one sample inside.
    EXPECT_EQ(px(c, 11, 11), 0xFF1C1C1Cu);  // trunc(255 / 9) = 28
    // Half-transparent colour: alpha times coverage.
    KCanvas d = filledCanvas(20, 20, kBlack);
    d.drawDot(10.5, 10.5, 1.0, {255, 255, 255, 102});
    EXPECT_EQ(px(d, 11, 10), 0xFF2D2D2Du);  // trunc(255 * 0.4 * 4/9) = 45
    EXPECT_EQ(px(d, 10, 10), 0xFF666666u);
}

TEST(Canvas, LineOfZeroLengthIsADotOfRadiusThreeQuarters) {
    KCanvas a = filledCanvas(16, 16, kBlack);
    KCanvas b = filledCanvas(16, 16, kBlack);
    a.drawLine(7.3, 8.1, 7.3, 8.1, {200, 100, 50, 255});
    b.drawDot(7.3, 8.1, 0.75, {200, 100, 50, 255});
    EXPECT_GT(countNot(a, kBlack), 0);
    for (int32_t i = 0; i < 16 * 16; ++i)
        ASSERT_EQ(a.pixels()[i], b.pixels()[i]) << i;
}

TEST(Canvas, HorizontalLineHasAFullCoreAndSupersampledEdges) {
    KCanvas c = filledCanvas(20, 10, kBlack);
    c.drawLine(2.5, 5.5, 12.5, 5.5, {255, 255, 255, 255});
    EXPECT_EQ(px(c, 7, 5), 0xFFFFFFFFu);  // on the segment
    // One row off: sample rows at 0.67, 1.0, 1.33 from the line; only the
    // nearest (0.67 <= 0.75) is inside: 3 of 9.
    EXPECT_EQ(px(c, 7, 4), 0xFF555555u);
    EXPECT_EQ(px(c, 7, 6), 0xFF555555u);
    EXPECT_EQ(px(c, 7, 3), kBlack);
    // Round end: beyond the end only the nearest sample column (2/3 away,
    // all three rows within 0.75) reaches the cap: 3 of 9.
    EXPECT_EQ(px(c, 13, 5), 0xFF555555u);
    EXPECT_EQ(px(c, 14, 5), kBlack);
}

TEST(Canvas, AntiAliasedShapesStayInsideTheClipWindow) {
    KCanvas c = filledCanvas(30, 30, kMarker);
    c.setClip(10, 10, 10, 10);
    c.drawDot(0, 0, 8, {255, 0, 0, 255});
    c.drawLine(-5, 5.5, 50, 5.5, {0, 255, 0, 255});
    c.drawDot(1e300, -1e300, 1e300, {});
    c.drawLine(0, 0, std::numeric_limits<double>::quiet_NaN(), 1, {});
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 30; ++x)
            if (x < 10 || x >= 20 || y < 10 || y >= 20) {
                ASSERT_EQ(px(c, x, y), kMarker) << x << "," << y;
            }
    EXPECT_EQ(px(c, 10, 10), 0xFFFF0000u);
    EXPECT_EQ(px(c, 19, 15), 0xFF00FF00u);
}

}  // namespace
}  // namespace kx
