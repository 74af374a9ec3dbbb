#include "x11-harness/pixels.h"

#include <X11/Xutil.h>

namespace kx::x11 {

namespace {

// The position of the lowest set bit of a channel mask and the channel's
// largest value, to read a pixel whatever the visual's layout.
struct Channel {
    int shift = 0;
    unsigned long max = 0;
    explicit Channel(unsigned long mask) {
        if (!mask)
            return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        max = mask;
    }
    uint32_t byte(unsigned long pixel) const {
        return max ? static_cast<uint32_t>(((pixel >> shift) & max) * 255 / max) : 0;
    }
};

}  // namespace

bool readPixels(Display* display, Window window, int width, int height, std::vector<uint32_t>& pixels) {
    if (!display || !window || width <= 0 || height <= 0)
        return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image)
        return false;
    const Channel red(image->red_mask), green(image->green_mask), blue(image->blue_mask);
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                0xFF000000u | red.byte(p) << 16 | green.byte(p) << 8 | blue.byte(p);
        }
    XDestroyImage(image);
    return true;
}

}  // namespace kx::x11
