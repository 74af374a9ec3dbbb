// Reversal of the PNG row filters (filter method 0), in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx {

// raw holds `height` rows of (1 + rowBytes) bytes, each a filter-type byte
// and the filtered samples; bpp is the filter unit (1, 2, 3, 4, 6 or 8).
// False at the first filter type above 4.
bool unfilterRows(uint8_t* raw, size_t rowBytes, uint32_t height, unsigned bpp);

}  // namespace kx
