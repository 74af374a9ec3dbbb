// The part every image-frame control shares: which frame was drawn last, and
// drawing the frame to show now at the control's origin. Each such control
// declares its CurrentFrame virtual, so that a product's subclass choosing its
// own frames is drawn and redrawn by them.
#pragma once

#include "graphics/resource.h"

namespace kx {

struct KFrameView {
    const KImageResource* image = nullptr;  // not owned
    int lastFrame = -1;

    int frameCount() const { return image ? image->frameCount() : 0; }
    bool changed(int frame) const { return frame != lastFrame; }
    void draw(KCanvas& canvas, int frame) {
        if (image)
            image->drawFrame(canvas, frame, 0, 0);
        lastFrame = frame;
    }
};

}  // namespace kx
