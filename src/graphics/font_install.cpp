#include "graphics/font_install.h"

#include "data/data_block.h"
#include "graphics/text_renderer.h"

namespace kx {

bool installFont(const char* name, const char* fileName) {
    KDataBlock block;
    const uint8_t* bytes = loadEmbedded(block, fileName);
    // The renderer copies the bytes; the block frees its own when it goes.
    return bytes && block.length() <= SIZE_MAX && installFontData(name, bytes, size_t(block.length()));
}

}  // namespace kx
