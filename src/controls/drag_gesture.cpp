#include "controls/drag_gesture.h"

#include <algorithm>
#include <cmath>

namespace kx {

bool KDragGesture::press(bool ctrl, int x, int y) {
    if (held_)
        return false;
    endTurn();
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

void KDragGesture::turn(bool shift, double notches, int grid) {
    if (held_ || !std::isfinite(notches))
        return;
    if (!turning_) {
        turning_ = true;
        pendingNotches_ = 0;
        edit_.begin();
    }
    const double fraction = shift ? 0.001 : 0.01;
    double value = edit_.value();
    if (std::isnan(value))
        value = 0;
    value = std::clamp(value, 0.0, 1.0);
    if (grid > 0) {
        pendingNotches_ += notches;
        const double whole = std::trunc(pendingNotches_);
        if (whole == 0)
            return;
        pendingNotches_ -= whole;
        const double perNotch = std::max(1.0, std::round(grid * fraction));
        value = std::clamp(std::round(value * grid) + whole * perNotch, 0.0, static_cast<double>(grid)) / grid;
    } else {
        value = std::clamp(value + notches * fraction, 0.0, 1.0);
    }
    edit_.step(value);
}

bool KDragGesture::endTurn() {
    if (!turning_)
        return false;
    turning_ = false;
    edit_.end();
    return true;
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
