// Test helpers: libpng as the reference PNG decoder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graphics/image.h"
#include "test_files.h"

namespace kx::test {

// Decodes with libpng into the canvas pixel format: 16-bit samples keep
// their high byte, tRNS becomes alpha, everything else is opaque. CRCs,
// Adler-32 and the declared window size are ignored so that it accepts what
// our decoder may. Empty when libpng refuses the data.
std::optional<KImage> decodeWithLibpng(const std::vector<uint8_t>& bytes);

// Encodes 8-bit RGBA rows with libpng at its default settings.
std::vector<uint8_t> encodeRgbaWithLibpng(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height);

}  // namespace kx::test
