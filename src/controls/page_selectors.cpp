#include "controls/page_selectors.h"

#include "graphics/resource.h"

namespace kx {

int KPageSelBase::CursorAt(int, int) const { return kCursorHand; }

bool KPageSelBase::LeftDown(bool, bool, int, int) {
    pressed_ = true;
    host_->SetPage(targetPage_);
    dirty_ = true;
    return true;
}

bool KPageSelBase::LeftUp(bool, bool, int, int) {
    if (!pressed_)
        return false;
    pressed_ = false;
    dirty_ = true;
    host_->RequestRepaint();
    return true;
}

void KPageSelBase::CancelCapture() {
    if (!pressed_)
        return;
    pressed_ = false;
    Refresh();
}

bool KPageSelHlt::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || pressed_ != lastPressed_;
}

void KPageSelHlt::Draw(KCanvas& canvas) {
    if (pressed_)
        canvas.blendRect(0, 0, width_, height_, highlight_->colour());
    lastPressed_ = pressed_;
}

int KImgPageSel::CurrentFrame() const {
    if (pressed_ && view_.frameCount() == 3)
        return 2;
    return host_->GetPage() == targetPage_ ? 1 : 0;
}

bool KImgPageSel::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame());
}

}  // namespace kx
