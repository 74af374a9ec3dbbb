#include "controls/command_button.h"

#include "controls/effect_link.h"
#include "graphics/resource.h"

namespace kx {

int KCommandBase::CursorAt(int, int) const { return kCursorHand; }

bool KCommandBase::LeftDown(bool shift, bool ctrl, int, int) {
    pressed_ = true;
    shift_ = shift;
    ctrl_ = ctrl;
    Refresh();
    return true;
}

bool KCommandBase::LeftUp(bool shift, bool ctrl, int, int) {
    if (!pressed_)
        return false;
    bool withShift = shift_ || shift, withCtrl = ctrl_ || ctrl;
    pressed_ = shift_ = ctrl_ = false;
    runEffectCommand(effect_, command_, withShift, withCtrl);
    Refresh();
    return true;
}

void KCommandBase::CancelCapture() {
    if (!pressed_)
        return;
    pressed_ = shift_ = ctrl_ = false;
    Refresh();
}

void KImgCommand::Draw(KCanvas& canvas) {
    // A one-frame image has no pressed picture: it keeps its rest frame.
    int frame = pressed_ && image_->frameCount() > 1 ? 1 : 0;
    image_->drawFrame(canvas, frame, 0, 0);
}

}  // namespace kx
