#include "controls/pot_base.h"

#include <cmath>
#include <numbers>

#include "controls/effect_link.h"

namespace kx {

void potAnglePoint(double cx, double cy, double r, double v, double& px, double& py) {
    double theta = v * 1.5 * std::numbers::pi + std::numbers::pi / 4;
    px = cx - r * std::sin(theta);
    py = cy + r * std::cos(theta);
}

double KPotBase::shownValue() const { return paramQuantised(effect_, param_); }

int KPotBase::CursorAt(int, int) const { return kCursorHand; }

bool KPotBase::LeftDown(bool, bool ctrl, int x, int y) {
    if (drag_.press(ctrl, x, y))
        Refresh();
    return true;
}

void KPotBase::MouseMove(bool shift, int x, int y) {
    if (!drag_.isDragging())
        return;
    // 100 pixels up cover the range; moving right counts a quarter as much.
    double delta = ((static_cast<double>(drag_.lastY()) - y) + 0.25 * (static_cast<double>(x) - drag_.lastX())) * 0.01;
    drag_.move(shift, x, y, delta);
    Refresh();
}

bool KPotBase::LeftUp(bool, bool, int, int) {
    if (!drag_.release())
        return false;
    Refresh();
    return true;
}

void KPotBase::CancelCapture() { LeftUp(false, false, 0, 0); }

bool KPotBase::Wheel(bool shift, double notches, int, int) {
    drag_.turn(shift, notches, paramGridSteps(effect_, param_));
    Refresh();
    return true;
}

void KPotBase::EndWheel() { drag_.endTurn(); }

}  // namespace kx
