// KImage: a picture in the canvas pixel format, as the PNG decoder makes it
// and image resources hold it.
#pragma once

#include <cstdint>
#include <vector>

namespace kx {

struct KImage {
    std::vector<uint32_t> pixels;  // width * height words, row-major, stride = width
    int32_t width = 0;
    int32_t height = 0;

    uint32_t at(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

}  // namespace kx
