#include "graphics/canvas.h"
#include "graphics/font.h"

#include <algorithm>
#include <cstdint>

namespace kx {

void KCanvas::drawText(const char* text, int32_t x, int32_t y, int32_t w, int32_t h, const KFont* font,
                       int32_t alignment) {
    if (!text || !font || !font->platformFont() || !pixels_)
        return;
    // The box is clip-relative like every canvas operation.
    auto shift = [](int32_t v, int32_t by) {
        return int32_t(std::clamp<int64_t>(int64_t(v) + by, INT32_MIN, INT32_MAX));
    };
    const KRect box{shift(x, clipX_), shift(y, clipY_), w, h};
    renderText(*this, *font->platformFont(), font->colour(), text, box, alignment);
}

}  // namespace kx
