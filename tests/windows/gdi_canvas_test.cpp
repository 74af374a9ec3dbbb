// The canvas's memory as a DIB section in a memory device context, its clip
// region, GDI fonts from their descriptions, and fonts installed from memory.
// (The text layout itself is tested on both platforms in graphics/text_test.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/embedded_file.h"
#include "graphics/canvas.h"
#include "graphics/font.h"
#include "graphics/font_install.h"
#include "graphics/win32/gdi_font.h"
#include "graphics/win32/gdi_surface.h"
#include "test_files.h"

namespace kx::testing {
namespace {

HDC canvasContext(KCanvas& canvas) { return canvas.surface() ? canvas.surface()->dc() : nullptr; }

TEST(GdiCanvas, PixelsAreATopDownDibSectionSelectedIntoAMemoryContext) {
    KCanvas canvas(64, 32);
    const HDC dc = canvasContext(canvas);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof dib, &dib), int(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmBits, canvas.pixels());
    EXPECT_EQ(dib.dsBmih.biWidth, 64);
    EXPECT_EQ(std::abs(dib.dsBmih.biHeight), 32);  // row order: the pixel checks below
    EXPECT_EQ(dib.dsBmih.biBitCount, 32);
    EXPECT_EQ(dib.dsBmih.biCompression, DWORD(BI_RGB));
    EXPECT_EQ(canvas.pixels()[0], 0u);  // a new canvas starts all 0

    // The canvas's pixel work and GDI's see the same pixels, row 0 on top.
    canvas.fillRect(5, 3, 1, 1, KColour{10, 20, 30, 255});
    EXPECT_EQ(GetPixel(dc, 5, 3), RGB(10, 20, 30));
    SetPixelV(dc, 7, 1, RGB(1, 2, 3));
    GdiFlush();
    EXPECT_EQ(canvas.pixels()[1 * 64 + 7] & 0xFFFFFFu, 0x010203u);
}

TEST(GdiCanvas, ClipRegionMirrorsTheClipWindow) {
    KCanvas canvas(100, 50);
    const HDC dc = canvasContext(canvas);
    ASSERT_NE(dc, nullptr);
    const HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, probe), 0);  // none at first

    canvas.setClip(90, 40, 30, 30);  // cut at the canvas's edges
    RECT box{};
    ASSERT_EQ(GetClipRgn(dc, probe), 1);
    GetRgnBox(probe, &box);
    EXPECT_EQ(box.left, 90);
    EXPECT_EQ(box.top, 40);
    EXPECT_EQ(box.right, 100);
    EXPECT_EQ(box.bottom, 50);

    canvas.setClip(10, 10, -5, 20);  // a negative size lets nothing through
    ASSERT_EQ(GetClipRgn(dc, probe), 1);
    EXPECT_EQ(GetRgnBox(probe, &box), NULLREGION);

    canvas.resetClip();
    EXPECT_EQ(GetClipRgn(dc, probe), 0);
    DeleteObject(probe);
}

// (Wine counts no GDI objects per process, so the handles are asked.)
TEST(GdiCanvas, CanvasesAndFontsGiveBackTheirGdiObjects) {
    HDC dc = nullptr;
    HGDIOBJ bitmap = nullptr, font = nullptr;
    {
        const KFont kept(14);
        ASSERT_NE(kept.platformFont(), nullptr);
        font = kept.platformFont()->handle();
        KCanvas canvas(200, 40);
        dc = canvasContext(canvas);
        ASSERT_NE(dc, nullptr);
        bitmap = GetCurrentObject(dc, OBJ_BITMAP);
        canvas.setClip(5, 5, 100, 20);
        canvas.drawText("Kelvox2", 0, 0, 100, 20, &kept, 1);
        // The context holds its own bitmap and font again after drawing.
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap);
        EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), font);
        EXPECT_EQ(GetObjectType(font), DWORD(OBJ_FONT));
    }
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(GetObjectType(font), 0u);
}

LOGFONTA logFontOf(const KFont& font) {
    LOGFONTA logFont{};
    if (font.platformFont())
        GetObjectA(font.platformFont()->handle(), sizeof logFont, &logFont);
    return logFont;
}

TEST(GdiFonts, AreMadeFromTheSkinsDescription) {
    const LOGFONTA plain = logFontOf(KFont(17));
    EXPECT_EQ(plain.lfHeight, 17);
    EXPECT_EQ(plain.lfWidth, 0);
    EXPECT_EQ(plain.lfEscapement, 0);
    EXPECT_EQ(plain.lfOrientation, 0);
    EXPECT_EQ(plain.lfWeight, FW_NORMAL);
    EXPECT_EQ(plain.lfItalic, 0);
    EXPECT_EQ(plain.lfUnderline, 0);
    EXPECT_EQ(plain.lfStrikeOut, 0);
    EXPECT_EQ(plain.lfCharSet, 0);
    EXPECT_EQ(plain.lfOutPrecision, 0);
    EXPECT_EQ(plain.lfClipPrecision, 0);
    EXPECT_EQ(plain.lfQuality, 0);
    EXPECT_EQ(plain.lfPitchAndFamily, FF_SWISS);
    EXPECT_STREQ(plain.lfFaceName, "");

    // A named face: the system's defaults for weight and family, the name
    // cut to 31 characters.
    const char* longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    const LOGFONTA named = logFontOf(KFont(9, KColour{}, longName));
    EXPECT_EQ(named.lfHeight, 9);
    EXPECT_EQ(named.lfWeight, 0);
    EXPECT_EQ(named.lfPitchAndFamily, 0);
    EXPECT_EQ(std::string(named.lfFaceName), std::string(longName, 31));
}

// The face a font really got from the system.
std::string faceUsedFor(const char* faceName, int32_t size) {
    const KFont font(size, KColour{}, faceName);
    if (!font.platformFont())
        return {};
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font.platformFont()->handle());
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return face;
}

// DejaVu Sans renamed, so that no font of the system can stand in for it:
// the name table's records are rewritten in place, one byte and two byte
// forms alike.
const char* kPrivateFace = "KxPrivateFc";  // as long as "DejaVu Sans"

std::vector<uint8_t> renamedFont() {
    std::vector<uint8_t> bytes = test::readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    const std::string from = "DejaVu Sans", to = kPrivateFace;
    for (int width : {1, 2}) {
        std::string pattern, replacement;
        for (size_t i = 0; i < from.size(); ++i) {
            pattern += std::string(size_t(width - 1), '\0') + from[i];
            replacement += std::string(size_t(width - 1), '\0') + to[i];
        }
        for (size_t at = 0; at + pattern.size() <= bytes.size(); ++at)
            if (std::memcmp(bytes.data() + at, pattern.data(), pattern.size()) == 0)
                std::memcpy(bytes.data() + at, replacement.data(), replacement.size());
    }
    return bytes;
}

TEST(GdiFonts, InstalledFromMemoryAreUsedByTheirFaceName) {
    static const std::vector<uint8_t> bytes = renamedFont();
    if (bytes.empty())
        GTEST_SKIP() << "DejaVu Sans is not installed (fonts-dejavu-core)";
    static const KEmbeddedFile file{"PrivateFace.ttf", bytes.size(), bytes.data()};
    registerEmbeddedFile(&file);

    // Each look asks for a size of its own: wine keeps the face it once
    // chose for a description even when the fonts change.
    EXPECT_NE(faceUsedFor(kPrivateFace, 15), kPrivateFace);
    ASSERT_TRUE(installFont("Private", "privateface.TTF"));
    EXPECT_EQ(faceUsedFor(kPrivateFace, 16), kPrivateFace);
    EXPECT_FALSE(installFont("Missing", "NoSuchFile.ttf"));

    // Removal gives the memory back to the system (wine keeps such fonts to
    // the end of the process, so it cannot be seen here); fonts made before
    // still draw.
    const KFont kept(14, KColour{255, 255, 255, 255}, kPrivateFace);
    removeInstalledFonts();
    KCanvas canvas(60, 20);
    canvas.drawText("abc", 0, 0, 60, 20, &kept, 0);
    bool ink = false;
    for (int32_t i = 0; i < 60 * 20; ++i)
        ink |= canvas.pixels()[i] != 0;
    EXPECT_TRUE(ink);
}

}  // namespace
}  // namespace kx::testing
