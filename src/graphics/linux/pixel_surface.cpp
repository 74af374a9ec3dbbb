// The canvas's pixels are plain memory here: the text renderer blends into
// them itself and cuts at the canvas's own clip window.
#include "graphics/pixel_surface.h"

#include <cstddef>
#include <cstdint>
#include <new>

namespace kx {

class PixelSurface {
public:
    explicit PixelSurface(std::unique_ptr<uint32_t[]> pixels) : pixels_(std::move(pixels)) {}
    uint32_t* pixels() { return pixels_.get(); }

private:
    std::unique_ptr<uint32_t[]> pixels_;
};

void PixelSurfaceDeleter::operator()(PixelSurface* surface) const { delete surface; }

PixelSurfacePtr createPixelSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    // Beyond what an array may hold; the allocator is not even asked.
    const size_t count = size_t(width) * size_t(height);
    if (count > size_t(PTRDIFF_MAX) / sizeof(uint32_t))
        return nullptr;
    std::unique_ptr<uint32_t[]> pixels(new (std::nothrow) uint32_t[count]());
    if (!pixels)
        return nullptr;
    return PixelSurfacePtr(new (std::nothrow) PixelSurface(std::move(pixels)));
}

uint32_t* surfacePixels(PixelSurface& surface) { return surface.pixels(); }

void setSurfaceClip(PixelSurface&, int32_t, int32_t, int32_t, int32_t) {}

void resetSurfaceClip(PixelSurface&) {}

}  // namespace kx
