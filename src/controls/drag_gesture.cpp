#include "controls/drag_gesture.h"

#include <cmath>

namespace kx {

bool KDragGesture::press(bool ctrl, int x, int y) {
    if (held_)
        return false;
    held_ = true;
    edit_.begin();
    if (ctrl) {
        dragging_ = false;
        edit_.jump(edit_.defaultValue());
    } else {
        dragging_ = true;
        lastX_ = x;
        lastY_ = y;
        edit_.report();
    }
    return true;
}

void KDragGesture::move(bool shift, int x, int y, double delta) {
    if (!dragging_)
        return;
    if (shift)
        delta *= 0.1;
    double value = edit_.value() + delta;
    if (std::isnan(value))
        value = 0;
    value = value < 0 ? 0 : value > 1 ? 1 : value;
    edit_.step(value);
    lastX_ = x;
    lastY_ = y;
}

bool KDragGesture::release() {
    if (!held_)
        return false;
    held_ = false;
    dragging_ = false;
    edit_.end();
    return true;
}

}  // namespace kx
