#include "skin/footer.h"

#include "graphics/canvas.h"

namespace kx {

void drawFooterStrip(KCanvas& canvas, int width, int height, KEffect*) {
    canvas.fillRect(0, height - 12, width, 12, KColour{0, 0, 0, 255});
}

}  // namespace kx
