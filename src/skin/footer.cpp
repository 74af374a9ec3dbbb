#include "skin/footer.h"

#include "graphics/footer.h"
#include "plugin/effect.h"

namespace kx {

void drawFooterStrip(KCanvas& canvas, int width, int height, KEffect* effect, const KFont& font) {
    const char* vendor = effect ? effect->getVendorText() : nullptr;
    const char* product = effect ? effect->getProductText() : nullptr;
    paintFooterStrip(canvas, width, height, vendor, product, font);
}

}  // namespace kx
