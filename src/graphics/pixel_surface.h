// The platform seam under the canvas: the memory its pixels live in, and the
// platform's copy of its clip window. Plain memory on Linux (linux/); on
// Windows (win32/) a top-down 32-bit DIB section selected into a memory
// device context, so that GDI text lands in the same pixels and the window
// can copy them with BitBlt.
//
// Threads: the canvas's, the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>

namespace kx {

class PixelSurface;
struct PixelSurfaceDeleter {
    void operator()(PixelSurface* surface) const;
};
using PixelSurfacePtr = std::unique_ptr<PixelSurface, PixelSurfaceDeleter>;

// width x height pixels (both > 0) in rows top to bottom without gaps,
// all 0 at first; null when the platform cannot provide them.
PixelSurfacePtr createPixelSurface(int32_t width, int32_t height);

uint32_t* surfacePixels(PixelSurface& surface);

// The clip window (canvas coordinates, already clamped to the canvas) that
// text drawn into the surface is cut at; an empty or negative size lets no
// text through. resetSurfaceClip removes it: text is cut at the surface.
void setSurfaceClip(PixelSurface& surface, int32_t x, int32_t y, int32_t w, int32_t h);
void resetSurfaceClip(PixelSurface& surface);

}  // namespace kx
