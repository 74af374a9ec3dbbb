#include "controls/pot_base.h"

#include <cmath>

#include "controls/effect_link.h"

namespace kx {

void potAnglePoint(double cx, double cy, double r, double v, double& px, double& py) {
    double theta = v * 1.5 * M_PI + M_PI / 4;
    px = cx - r * std::sin(theta);
    py = cy + r * std::cos(theta);
}

double KPotBase::shownValue() const { return paramQuantised(effect_, param_); }

int KPotBase::CursorAt(int, int) const { return kControlCursorHand; }

bool KPotBase::LeftDown(bool, bool ctrl, int x, int y) {
    if (held_)
        return true;  // a second button while held changes nothing
    held_ = true;
    if (ctrl) {
        dragging_ = false;
        hostBeginEdit(effect_, param_);
        hostAutomate(effect_, param_);
        setParamValue(effect_, param_, paramDefault(effect_, param_));
    } else {
        dragging_ = true;
        lastX_ = x;
        lastY_ = y;
        hostBeginEdit(effect_, param_);
    }
    hostAutomate(effect_, param_);
    Refresh();
    return true;
}

void KPotBase::MouseMove(bool shift, int x, int y) {
    if (!dragging_)
        return;
    double delta = ((static_cast<double>(lastY_) - y) + 0.25 * (static_cast<double>(x) - lastX_)) * 0.01;
    if (shift)
        delta *= 0.1;
    double value = paramValue(effect_, param_) + delta;
    if (std::isnan(value))
        value = 0;
    value = value < 0 ? 0 : value > 1 ? 1 : value;
    setParamValue(effect_, param_, value);
    hostAutomate(effect_, param_);
    lastX_ = x;
    lastY_ = y;
    Refresh();
}

bool KPotBase::LeftUp(bool, bool, int, int) {
    if (!held_)
        return false;
    held_ = false;
    dragging_ = false;
    hostEndEdit(effect_, param_);
    Refresh();
    return true;
}

void KPotBase::CancelCapture() { LeftUp(false, false, 0, 0); }

}  // namespace kx
