// The one blending rule of every blended canvas operation, exact to the bit:
// each channel becomes trunc((s - d) * alpha + d) in double precision and the
// result is opaque. The destination's alpha is never read.
#pragma once

#include <cstdint>

namespace kx {

// 1/255 as the double that makes 255 * kInv255 exactly 1.0.
inline constexpr double kInv255 = 0.00392156862745098;

inline uint32_t blendChannel(uint32_t s, uint32_t d, double alpha) {
    const double dd = double(d);
    // Truncation toward zero; the result always lies between s and d (give or
    // take an ulp of alpha), so it fits a byte.
    return uint32_t(int32_t((double(s) - dd) * alpha + dd)) & 0xFFu;
}

inline uint32_t blendPixel(uint32_t dst, uint32_t sr, uint32_t sg, uint32_t sb, double alpha) {
    return 0xFF000000u | blendChannel(sr, (dst >> 16) & 0xFFu, alpha) << 16 |
           blendChannel(sg, (dst >> 8) & 0xFFu, alpha) << 8 | blendChannel(sb, dst & 0xFFu, alpha);
}

}  // namespace kx
