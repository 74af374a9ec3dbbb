// Colours, geometry and the pixel format shared by the canvas, images and text.
#pragma once

#include <cstdint>

namespace kx {

// Straight (not premultiplied) colour; a = 255 is opaque.
struct KColour {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
};

// Origin top-left, y downwards.
struct KRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};

struct KPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// A pixel is one 32-bit word 0xAARRGGBB (bytes blue, green, red, alpha in memory).
inline constexpr uint32_t packPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

}  // namespace kx
