// zlib/DEFLATE decompression (RFC 1950, RFC 1951) into a buffer of known size,
// as the PNG decoder needs it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/png_error.h"

namespace kx {

// Decompresses the zlib stream in[0..inSize) into out[0..outSize) and sets
// *produced to the bytes written. The stream may end (with its final block)
// before out is full; it fails when it would write past outSize or needs
// bits past inSize. The Adler-32 checksum is not read.
PngError inflateZlib(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize, size_t* produced);

}  // namespace kx
