#pragma once
// The canvas's pixel memory on Windows: a top-down 32-bit DIB section
// selected into a memory device context, with the clip region that mirrors
// the canvas's clip window. Shared with the GDI text renderer, which draws
// through the context.

#include <windows.h>

#include <cstdint>

#include "graphics/pixel_surface.h"

namespace kx {

class PixelSurface {
public:
    // Takes over a context with the DIB section already selected into it.
    PixelSurface(HDC dc, HBITMAP bitmap, HGDIOBJ initialBitmap, uint32_t* pixels);
    ~PixelSurface();
    PixelSurface(const PixelSurface&) = delete;
    PixelSurface& operator=(const PixelSurface&) = delete;

    HDC dc() const { return dc_; }
    uint32_t* pixels() const { return pixels_; }
    void setClip(int32_t x, int32_t y, int32_t w, int32_t h);
    void resetClip();

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ initialBitmap_;
    HGDIOBJ initialFont_;
    HRGN clip_ = nullptr;  // at most one region is owned at a time
    uint32_t* pixels_;
};

}  // namespace kx
