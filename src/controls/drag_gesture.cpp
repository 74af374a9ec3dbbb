#include "controls/drag_gesture.h"

#include <cmath>

#include "controls/effect_link.h"

namespace kx {

bool KDragGesture::press(KEffect* effect, bool ctrl, int x, int y) {
    if (held_)
        return false;
    held_ = true;
    hostBeginEdit(effect, param_);
    if (ctrl) {
        dragging_ = false;
        hostAutomate(effect, param_);
        setParamValue(effect, param_, paramDefault(effect, param_));
    } else {
        dragging_ = true;
        lastX_ = x;
        lastY_ = y;
    }
    hostAutomate(effect, param_);
    return true;
}

void KDragGesture::move(KEffect* effect, bool shift, int x, int y, double delta) {
    if (!dragging_)
        return;
    if (shift)
        delta *= 0.1;
    double value = paramValue(effect, param_) + delta;
    if (std::isnan(value))
        value = 0;
    value = value < 0 ? 0 : value > 1 ? 1 : value;
    setParamValue(effect, param_, value);
    hostAutomate(effect, param_);
    lastX_ = x;
    lastY_ = y;
}

bool KDragGesture::release(KEffect* effect) {
    if (!held_)
        return false;
    held_ = false;
    dragging_ = false;
    hostEndEdit(effect, param_);
    return true;
}

}  // namespace kx
