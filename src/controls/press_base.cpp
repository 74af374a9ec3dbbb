#include "controls/press_base.h"

namespace kx {

int KPressBase::CursorAt(int, int) const { return kCursorHand; }

bool KPressBase::LeftDown(bool shift, bool ctrl, int, int) {
    pressed_ = true;
    onPress(shift, ctrl);
    return true;
}

bool KPressBase::LeftUp(bool shift, bool ctrl, int, int) {
    // A release whose press began on another control is not ours.
    if (!pressed_)
        return false;
    pressed_ = false;
    onRelease(shift, ctrl);
    Refresh();
    return true;
}

void KPressBase::CancelCapture() {
    if (!pressed_)
        return;
    pressed_ = false;
    onCancel();
    Refresh();
}

}  // namespace kx
