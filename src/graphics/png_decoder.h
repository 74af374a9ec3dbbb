// decodePng: one PNG file held in memory -> a KImage in the canvas pixel
// format (0xAARRGGBB, straight alpha). Self-contained, with its own inflate.
//
// Accepted: non-interlaced grey, truecolour, palette, grey+alpha and
// truecolour+alpha images of depth 8 or 16, and grey or palette images of
// depth 1, 2 or 4; tRNS transparency. 16-bit samples keep their high byte.
// CRCs and the Adler-32 checksum are not checked.
//
// Threads: any; a decode uses only its own buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "graphics/image.h"
#include "graphics/png_error.h"

namespace kx {

// Null on failure, with the reason in *reason when given.
std::unique_ptr<KImage> decodePng(const uint8_t* bytes, size_t length, PngError* reason = nullptr);

// The checks decodePng makes before it inflates anything (signature, header,
// chunks, an IDAT, sizes that fit), and the image's size: what a caller
// needs to know of an image it decodes later. The compressed data is not
// looked at, so a file that passes can still fail to decode.
PngError readPngSize(const uint8_t* bytes, size_t length, int32_t& width, int32_t& height);

}  // namespace kx
