// Text on Windows is GDI's: fonts from LOGFONTA descriptions, DrawTextA into
// the canvas's DIB section through its memory device context, cut by the
// clip region that mirrors the canvas's clip window, and private fonts from
// memory with AddFontMemResourceEx.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "graphics/canvas.h"
#include "graphics/font.h"
#include "graphics/win32/gdi_font.h"
#include "graphics/win32/gdi_surface.h"

namespace kx {

namespace {

constexpr UINT kDrawFlags = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP;  // 0x124
constexpr size_t kFaceNameChars = 35;

// GDI's coordinates are safe within 27 bits; text placed beyond cannot reach
// a canvas anyway.
constexpr int64_t kCoordinateLimit = (int64_t(1) << 27) - 1;
LONG coordinate(int64_t v) { return LONG(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)); }

// A font installed from memory (KWinFace): the skin's name for it and the
// handle that removes it again.
struct InstalledFace {
    char name[kFaceNameChars + 1];
    HANDLE handle;
};

// Skins are parsed where instruments are constructed, and a host may do that
// on several threads: the list is only touched under its lock. Its
// destruction at library unload removes the fonts from the process.
class InstalledFaces {
public:
    ~InstalledFaces() { removeAll(); }

    void add(const InstalledFace& face) {
        const std::lock_guard<std::mutex> hold(lock_);
        faces_.push_back(face);
    }
    void removeAll() {
        const std::lock_guard<std::mutex> hold(lock_);
        for (const InstalledFace& face : faces_)
            if (face.handle)
                RemoveFontMemResourceEx(face.handle);
        faces_.clear();
    }

private:
    std::mutex lock_;
    std::vector<InstalledFace> faces_;
};

InstalledFaces& installedFaces() {
    static InstalledFaces faces;
    return faces;
}

}  // namespace

void PlatformFontDeleter::operator()(PlatformFont* font) const { delete font; }

std::uintptr_t platformFontHandle(const PlatformFont* font) {
    return font ? reinterpret_cast<std::uintptr_t>(font->handle()) : 0;
}

PlatformFontPtr createPlatformFont(const KFontDescription& description) {
    LOGFONTA logFont{};
    logFont.lfHeight = description.height;
    logFont.lfWeight = description.weight;
    logFont.lfPitchAndFamily = description.pitchAndFamily;
    static_assert(sizeof logFont.lfFaceName == sizeof description.faceName);
    std::memcpy(logFont.lfFaceName, description.faceName, sizeof logFont.lfFaceName);
    logFont.lfFaceName[sizeof logFont.lfFaceName - 1] = '\0';
    const HFONT font = CreateFontIndirectA(&logFont);
    if (!font)
        return nullptr;
    PlatformFontPtr result(new (std::nothrow) PlatformFont(font));
    if (!result)
        DeleteObject(font);
    return result;
}

bool hasFontFace(const char* faceName) {
    if (!faceName || !*faceName)
        return false;
    // GDI makes a font for any name and quietly puts another face in; the
    // face it chose tells (private fonts included).
    const PlatformFontPtr font = createPlatformFont(describeFont(12, faceName));
    const HDC dc = font ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc)
        return false;
    const HGDIOBJ previous = SelectObject(dc, font->handle());
    char chosen[LF_FACESIZE] = {};
    const bool found = GetTextFaceA(dc, sizeof chosen, chosen) > 0 && lstrcmpiA(chosen, faceName) == 0;
    SelectObject(dc, previous);
    DeleteDC(dc);
    return found;
}

int32_t measureText(const PlatformFont& font, const char* text) {
    if (!text)
        return 0;
    const HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return 0;
    const HGDIOBJ previous = SelectObject(dc, font.handle());
    RECT box{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &box, DT_CALCRECT | kDrawFlags);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return int32_t(box.right - box.left);
}

void renderText(KCanvas& canvas, const PlatformFont& font, KColour colour, const char* text, KRect box,
                int32_t alignment) {
    PixelSurface* surface = canvas.surface();
    if (!surface || !text || canvas.clipW() <= 0 || canvas.clipH() <= 0)
        return;
    const HDC dc = surface->dc();
    const HGDIOBJ previous = SelectObject(dc, font.handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(colour.r, colour.g, colour.b));
    RECT rect{coordinate(box.x), coordinate(box.y), coordinate(int64_t(box.x) + box.w),
              coordinate(int64_t(box.y) + box.h)};
    UINT flags = kDrawFlags;
    if (alignment == kAlignCentre)
        flags |= DT_CENTER;  // 0x125
    else if (alignment == kAlignRight)
        flags |= DT_RIGHT;  // 0x126
    DrawTextA(dc, text, -1, &rect, flags);
    // The pixel work that follows reads the memory directly.
    GdiFlush();
    SelectObject(dc, previous);
}

bool installFontData(const char* name, const uint8_t* data, size_t size) {
    if (!data || size == 0 || size > MAXDWORD)
        return false;
    DWORD fonts = 1;
    // The system keeps its own copy of the bytes.
    const HANDLE handle = AddFontMemResourceEx(const_cast<uint8_t*>(data), DWORD(size), nullptr, &fonts);
    if (!handle)
        return false;
    InstalledFace face{};
    std::strncpy(face.name, name ? name : "", kFaceNameChars);
    face.handle = handle;
    try {
        installedFaces().add(face);
    } catch (...) {
        RemoveFontMemResourceEx(handle);
        return false;
    }
    return true;
}

void removeInstalledFonts() { installedFaces().removeAll(); }

}  // namespace kx
