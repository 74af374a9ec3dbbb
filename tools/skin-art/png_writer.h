// Writes canvas pixels (0xAARRGGBB words) as an 8-bit PNG with libpng.
#pragma once

#include <cstdint>
#include <string>

namespace kx::art {

// Opaque pictures are written as RGB, others as RGBA. Returns false and
// fills error when the file cannot be written.
bool writePng(const std::string& path, const uint32_t* pixels, int width, int height, std::string& error);

}  // namespace kx::art
