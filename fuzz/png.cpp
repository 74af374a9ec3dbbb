// Fuzz target: decodePng on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "graphics/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A header may claim up to 4 GiB of pixels, which the decoder then really
    // allocates and fills; that is slow, not a fault, so such inputs are skipped.
    if (size >= 24) {
        const uint64_t w = uint64_t(data[16]) << 24 | data[17] << 16 | data[18] << 8 | data[19];
        const uint64_t h = uint64_t(data[20]) << 24 | data[21] << 16 | data[22] << 8 | data[23];
        if (w * h > (uint64_t(1) << 22))
            return 0;
    }
    kx::PngError reason;
    auto image = kx::decodePng(data, size, &reason);
    if (image && (image->width <= 0 || image->height <= 0 ||
                  image->pixels.size() != size_t(image->width) * size_t(image->height)))
        __builtin_trap();
    return 0;
}
