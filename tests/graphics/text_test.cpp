#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "data/embedded_file.h"
#include "graphics/canvas.h"
#include "graphics/font.h"
#include "graphics/font_install.h"
#include "graphics/footer.h"
#include "test_files.h"

namespace kx {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

KCanvas whiteCanvas(int32_t w, int32_t h) {
    KCanvas c(w, h);
    for (int32_t i = 0; i < w * h; ++i)
        c.pixels()[i] = kWhite;
    return c;
}

// Where the ink lands: a bounding box, inclusive.
struct Ink {
    int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    bool any() const { return right >= 0; }
};

// Every pixel that is neither the background nor `also` (a second background,
// such as the footer's black) counts as ink.
Ink inkOf(const KCanvas& c, uint32_t background, uint32_t also = 0) {
    Ink ink;
    for (int32_t y = 0; y < c.height(); ++y)
        for (int32_t x = 0; x < c.width(); ++x)
            if (const uint32_t p = c.pixels()[y * c.width() + x]; p != background && p != also) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

// Writes the canvas as a PPM picture when KX_TEST_PICTURES names a folder,
// for a look.
void keepPicture(const KCanvas& c, const char* name) {
    const char* dir = std::getenv("KX_TEST_PICTURES");
    if (!dir)
        return;
    std::string ppm = "P6\n" + std::to_string(c.width()) + " " + std::to_string(c.height()) + "\n255\n";
    for (int32_t i = 0; i < c.width() * c.height(); ++i) {
        const uint32_t p = c.pixels()[i];
        ppm += {char(p >> 16), char(p >> 8), char(p)};
    }
    if (FILE* f = std::fopen((std::string(dir) + "/" + name + ".ppm").c_str(), "wb")) {
        std::fwrite(ppm.data(), 1, ppm.size(), f);
        std::fclose(f);
    }
}

TEST(FontDescription, FollowsTheFaceName) {
    const KFontDescription plain = describeFont(14, nullptr);
    EXPECT_EQ(plain.height, 14);
    EXPECT_EQ(plain.weight, kFontWeightNormal);
    EXPECT_EQ(plain.pitchAndFamily, kFontFamilySwiss);
    EXPECT_STREQ(plain.faceName, "");

    const char* longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";  // 40 characters
    const KFontDescription named = describeFont(9, longName);
    EXPECT_EQ(named.weight, 0);
    EXPECT_EQ(named.pitchAndFamily, 0);
    EXPECT_EQ(std::strlen(named.faceName), 31u);
    EXPECT_EQ(std::string(named.faceName), std::string(longName, 31));

    KFont font(9, KColour{1, 2, 3, 4}, longName);
    EXPECT_STREQ(font.faceName(), longName);  // the font keeps the whole name
    EXPECT_EQ(font.size(), 9);
}

TEST(Text, AlignsLeftCentreAndRightInItsBox) {
    const KFont font(16, KColour{0, 0, 0, 255});
    ASSERT_NE(font.platformFont(), nullptr) << "no sans-serif font on this system";
    const KRect box{20, 10, 160, 20};
    Ink ink[3];
    for (int32_t align = 0; align < 3; ++align) {
        KCanvas c = whiteCanvas(200, 40);
        c.drawText("Kelvox2", box.x, box.y, box.w, box.h, &font, align);
        ink[align] = inkOf(c, kWhite);
        ASSERT_TRUE(ink[align].any()) << align;
        keepPicture(c, ("text-align-" + std::to_string(align)).c_str());
    }
    const int32_t inkWidth = ink[0].right - ink[0].left;
    EXPECT_GE(ink[0].left, box.x);
    EXPECT_LE(ink[0].left, box.x + 2);
    EXPECT_LE(ink[2].right, box.x + box.w - 1);
    EXPECT_GE(ink[2].right, box.x + box.w - 4);
    EXPECT_NEAR((ink[1].left + ink[1].right) / 2.0, box.x + box.w / 2.0, 2.0);
    EXPECT_EQ(ink[1].right - ink[1].left, inkWidth);
    EXPECT_EQ(ink[2].right - ink[2].left, inkWidth);
    // Vertically centred: capitals and the digit stand on a baseline a little
    // below the middle; a 16-pixel cell fills most of the 20-pixel box.
    for (const Ink& i : ink) {
        EXPECT_EQ(i.top, ink[0].top);
        EXPECT_EQ(i.bottom, ink[0].bottom);
    }
    EXPECT_GE(ink[0].top, box.y);
    EXPECT_LE(ink[0].bottom, box.y + box.h - 1);
    EXPECT_NEAR((ink[0].top + ink[0].bottom) / 2.0, box.y + box.h / 2.0, 3.0);

    // Any other alignment value is left.
    KCanvas left = whiteCanvas(200, 40), seven = whiteCanvas(200, 40);
    left.drawText("Kelvox2", box.x, box.y, box.w, box.h, &font, 0);
    seven.drawText("Kelvox2", box.x, box.y, box.w, box.h, &font, 7);
    EXPECT_EQ(std::memcmp(left.pixels(), seven.pixels(), 200 * 40 * 4), 0);
}

TEST(Text, IsCutAtTheClipWindowNotAtTheBox) {
    const KFont font(20, KColour{200, 0, 0, 255});
    ASSERT_NE(font.platformFont(), nullptr);
    // A box 4 pixels high: the text overhangs it above and below.
    KCanvas c = whiteCanvas(120, 60);
    c.setClip(10, 10, 100, 40);
    c.drawText("Hg", 5, 18, 60, 4, &font, 0);
    const Ink overhang = inkOf(c, kWhite);
    ASSERT_TRUE(overhang.any());
    EXPECT_LT(overhang.top, 10 + 18);
    EXPECT_GT(overhang.bottom, 10 + 18 + 4);

    // Moved up against the clip window's top edge, it is cut there.
    KCanvas d = whiteCanvas(120, 60);
    d.setClip(10, 10, 100, 40);
    d.drawText("Hg", -5, -8, 60, 4, &font, 0);
    const Ink cut = inkOf(d, kWhite);
    ASSERT_TRUE(cut.any());
    EXPECT_GE(cut.top, 10);
    EXPECT_GE(cut.left, 10);
    keepPicture(d, "text-clipped");
    // Text colour is blended with the glyph coverage: full coverage gives the
    // colour. (The alpha of text pixels is the platform renderer's.)
    bool solid = false;
    for (int32_t i = 0; i < 120 * 60; ++i)
        solid |= (c.pixels()[i] & 0xFFFFFFu) == 0xC80000u;
    EXPECT_TRUE(solid);
}

TEST(FooterStrip, AKeptFontPaintsTheSameStripEveryTime) {
    // Glyphs cached by the first paint must draw the second exactly alike.
    KCanvas once = whiteCanvas(600, 40);
    paintFooterStrip(once, 600, 40, "Tamlow", "Kelvox2");
    const std::unique_ptr<KFont> kept = createFooterFont();
    for (int round = 0; round < 2; ++round) {
        KCanvas c = whiteCanvas(600, 40);
        paintFooterStrip(c, 600, 40, "Tamlow", "Kelvox2", *kept);
        ASSERT_EQ(std::memcmp(c.pixels(), once.pixels(), 600 * 40 * sizeof(uint32_t)), 0) << round;
    }
}

TEST(FooterStrip, LabelLeftCreditRightInGreyOnBlack) {
    KCanvas c = whiteCanvas(600, 100);
    paintFooterStrip(c, 600, 100, "Tamlow", "Kelvox2");
    keepPicture(c, "footer-wide");
    for (int32_t y = 0; y < 88; ++y)
        for (int32_t x = 0; x < 600; ++x)
            ASSERT_EQ(c.pixels()[y * 600 + x], kWhite) << x << "," << y;
    int32_t left = 600, right = -1, top = 100, bottom = -1;
    for (int32_t y = 88; y < 100; ++y)
        for (int32_t x = 0; x < 600; ++x) {
            const uint32_t p = c.pixels()[y * 600 + x];
            const uint32_t r = (p >> 16) & 0xFF;
            ASSERT_TRUE(r == ((p >> 8) & 0xFF) && r == (p & 0xFF) && r <= 127) << std::hex << p;  // grey on black
            if (r) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    EXPECT_LE(left, 4);     // the label starts at x = 2
    EXPECT_GE(right, 593);  // the credit ends at W - 2
    EXPECT_LE(right, 597);
    EXPECT_GE(top, 88);
    // Ink on the left half and the right half: label and long credit both drawn.
    auto inkBetween = [&](int32_t x0, int32_t x1) {
        for (int32_t y = 88; y < 100; ++y)
            for (int32_t x = x0; x < x1; ++x)
                if (c.pixels()[y * 600 + x] != 0xFF000000u)
                    return true;
        return false;
    };
    EXPECT_TRUE(inkBetween(0, 40));
    EXPECT_TRUE(inkBetween(560, 600));
}

TEST(FooterStrip, NarrowSkinsDropTheLabelAndFallBackToTheShortCredit) {
    const KFont font(kFooterHeight, KColour{});
    ASSERT_NE(font.platformFont(), nullptr);
    const int32_t label = measureText(*font.platformFont(), "Tamlow Kelvox2");
    const int32_t longCredit = measureText(*font.platformFont(), kFooterCreditLong);
    const int32_t shortCredit = measureText(*font.platformFont(), kFooterCreditShort);
    ASSERT_LT(shortCredit, longCredit);

    // Wide enough for the long credit alone, not with the label: only the credit, right-aligned.
    auto footerInk = [](int32_t width, const char* picture) {
        KCanvas c = whiteCanvas(width, 30);
        paintFooterStrip(c, width, 30, "Tamlow", "Kelvox2");
        keepPicture(c, picture);
        return inkOf(c, kWhite, 0xFF000000u);
    };
    const int32_t w1 = longCredit + 5;
    ASSERT_GE(label + longCredit, w1 - 4);
    const Ink inkA = footerInk(w1, "footer-credit-only");
    ASSERT_TRUE(inkA.any());
    EXPECT_GE(inkA.left, w1 - 2 - longCredit);

    // Too narrow for the long credit: the short one, ending at W - 2.
    const int32_t w2 = shortCredit + 10;
    const Ink inkB = footerInk(w2, "footer-short");
    ASSERT_TRUE(inkB.any());
    EXPECT_GE(inkB.left, w2 - 2 - shortCredit);
    EXPECT_LE(inkB.right, w2 - 2);

    // Too narrow for anything: only the black strip.
    KCanvas n = whiteCanvas(20, 30);
    paintFooterStrip(n, 20, 30, "Tamlow", "Kelvox2");
    for (int32_t y = 18; y < 30; ++y)
        for (int32_t x = 0; x < 20; ++x)
            EXPECT_EQ(n.pixels()[y * 20 + x], 0xFF000000u);
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// Embedded records for the installation test: a real TrueType file from the
// system's fonts, and bytes that are not a font.
const KEmbeddedFile* registerTestFont() {
    static std::vector<uint8_t> bytes = test::readFile("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
    static const KEmbeddedFile font{"TestMono.ttf", bytes.size(), bytes.data()};
    static const uint8_t junk[64] = {1, 2, 3};
    static const KEmbeddedFile notFont{"NotAFont.ttf", sizeof junk, junk};
    static const bool once = [] {
        registerEmbeddedFile(&font);
        registerEmbeddedFile(&notFont);
        return true;
    }();
    (void)once;
    return bytes.empty() ? nullptr : &font;
}

// What the skin checker asks before it says a face is unknown: the system
// would draw such text in a face of its own choosing.
TEST(FontFaces, TheLookupTellsWhetherTheSystemHasAFace) {
    // scripts/install-deps.sh installs it; wine serves the system's fonts.
    EXPECT_TRUE(hasFontFace("DejaVu Sans"));
    EXPECT_FALSE(hasFontFace("Kelvox No Such Face"));
    EXPECT_FALSE(hasFontFace(""));
    EXPECT_FALSE(hasFontFace(nullptr));
}

TEST(InstalledFonts, ComeFromEmbeddedDataAndServeTheirFamily) {
    if (!registerTestFont())
        GTEST_SKIP() << "DejaVu Sans Mono is not installed";
    EXPECT_FALSE(installFont("Missing", "NoSuchFile.ttf"));
    EXPECT_FALSE(installFont("Junk", "NotAFont.ttf"));
    EXPECT_TRUE(installFont("Mono", "testmono.TTF"));  // embedded names ignore letter case

    // A monospaced face: every character advances the same.
    KFont mono(14, KColour{}, "DejaVu Sans Mono");
    ASSERT_NE(mono.platformFont(), nullptr);
    EXPECT_EQ(measureText(*mono.platformFont(), "iiii"), measureText(*mono.platformFont(), "WWWW"));
    KFont sans(14, KColour{});
    ASSERT_NE(sans.platformFont(), nullptr);
    EXPECT_LT(measureText(*sans.platformFont(), "iiii"), measureText(*sans.platformFont(), "WWWW"));

    // A font made from the installed bytes keeps working after removal.
    removeInstalledFonts();
    KCanvas c = whiteCanvas(80, 20);
    c.drawText("abc", 0, 0, 80, 20, &mono, 0);
    EXPECT_TRUE(inkOf(c, kWhite).any());
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// Instruments (and so their skins) may be built on several threads at once:
// installing fonts on one while another looks its faces up must be safe.
TEST(InstalledFonts, AreSharedSafelyBetweenThreads) {
    if (!registerTestFont())
        GTEST_SKIP() << "DejaVu Sans Mono is not installed";
    std::atomic<int> failures{0};
    auto buildSkins = [&failures] {
        for (int i = 0; i < 40; ++i) {
            if (!installFont("Mono", "TestMono.ttf"))
                ++failures;
            KFont mono(12, KColour{}, "DejaVu Sans Mono");
            if (!mono.platformFont())
                ++failures;
        }
    };
    std::thread a(buildSkins), b(buildSkins);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    removeInstalledFonts();
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// The system's answer for a face name is remembered for the process: asking
// again, from any thread and after many other names, gives the same face.
TEST(SystemFonts, RepeatedLookupsGiveTheSameFaceOnAnyThread) {
    KFont first(14, KColour{}, "DejaVu Sans");
    if (!first.platformFont())
        GTEST_SKIP() << "no system font";
    const int32_t width = measureText(*first.platformFont(), "Kelvox2 ~ 1.2.4");
    std::atomic<int> failures{0};
    auto lookUp = [&failures, width](int thread) {
        for (int i = 0; i < 100; ++i) {
            const std::string other = "No Such Face " + std::to_string(thread) + " " + std::to_string(i);
            KFont stranger(14, KColour{}, other.c_str());
            if (!stranger.platformFont())  // the system offers a stand-in
                ++failures;
            KFont again(14, KColour{}, "DejaVu Sans");
            if (!again.platformFont() || measureText(*again.platformFont(), "Kelvox2 ~ 1.2.4") != width)
                ++failures;
        }
    };
    std::thread a(lookUp, 0), b(lookUp, 1);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace kx
