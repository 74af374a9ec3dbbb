#include "graphics/win32/gdi_surface.h"

#include <cstring>
#include <new>

namespace kx {

PixelSurface::PixelSurface(HDC dc, HBITMAP bitmap, HGDIOBJ initialBitmap, uint32_t* pixels)
    : dc_(dc),
      bitmap_(bitmap),
      initialBitmap_(initialBitmap),
      initialFont_(GetCurrentObject(dc, OBJ_FONT)),
      pixels_(pixels) {}

PixelSurface::~PixelSurface() {
    resetClip();
    // The context gives back what it was created with before it goes.
    if (initialFont_)
        SelectObject(dc_, initialFont_);
    SelectObject(dc_, initialBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void PixelSurface::setClip(int32_t x, int32_t y, int32_t w, int32_t h) {
    resetClip();
    // A negative size lets nothing through, as it does for the pixel work.
    if (w < 0)
        w = 0;
    if (h < 0)
        h = 0;
    clip_ = CreateRectRgn(x, y, x + w, y + h);
    if (clip_)
        SelectClipRgn(dc_, clip_);
}

void PixelSurface::resetClip() {
    if (!clip_)
        return;
    SelectClipRgn(dc_, nullptr);
    DeleteObject(clip_);
    clip_ = nullptr;
}

void PixelSurfaceDeleter::operator()(PixelSurface* surface) const { delete surface; }

PixelSurfacePtr createPixelSurface(int32_t width, int32_t height) {
    // The DIB's size field is 32 bits.
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > MAXDWORD / 4)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);  // 40
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = DWORD(width) * DWORD(height) * 4;

    const HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return nullptr;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        DeleteDC(dc);
        return nullptr;
    }
    const HGDIOBJ initialBitmap = SelectObject(dc, bitmap);
    auto* pixels = static_cast<uint32_t*>(bits);
    std::memset(pixels, 0, size_t(width) * size_t(height) * 4);
    PixelSurfacePtr surface(new (std::nothrow) PixelSurface(dc, bitmap, initialBitmap, pixels));
    if (!surface) {
        SelectObject(dc, initialBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    return surface;
}

uint32_t* surfacePixels(PixelSurface& surface) { return surface.pixels(); }

void setSurfaceClip(PixelSurface& surface, int32_t x, int32_t y, int32_t w, int32_t h) { surface.setClip(x, y, w, h); }

void resetSurfaceClip(PixelSurface& surface) { surface.resetClip(); }

}  // namespace kx
