#include "controls/command_button.h"

#include "controls/effect_link.h"
#include "graphics/resource.h"

namespace kx {

void KCommandBase::onPress(bool shift, bool ctrl) {
    shift_ = shift;
    ctrl_ = ctrl;
    Refresh();
}

void KCommandBase::onRelease(bool shift, bool ctrl) {
    bool withShift = shift_ || shift, withCtrl = ctrl_ || ctrl;
    shift_ = ctrl_ = false;
    runEffectCommand(effect_, command_, withShift, withCtrl);
}

void KCommandBase::onCancel() { shift_ = ctrl_ = false; }

void KImgCommand::Draw(KCanvas& canvas) {
    // A one-frame image has no pressed picture: it keeps its rest frame.
    int frame = pressed_ && image_->frameCount() > 1 ? 1 : 0;
    image_->drawFrame(canvas, frame, 0, 0);
}

}  // namespace kx
