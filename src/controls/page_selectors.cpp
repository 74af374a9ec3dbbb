#include "controls/page_selectors.h"

#include "graphics/resource.h"

namespace kx {

void KPageSelBase::onPress(bool, bool) {
    // Showing the page repaints already.
    host_->SetPage(targetPage_);
    dirty_ = true;
}

// The release only puts the tab back.
void KPageSelBase::onRelease(bool, bool) {}

bool KPageSelHlt::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || pressed_ != lastPressed_; }

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

bool KImgPageSel::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || view_.changed(CurrentFrame()); }

}  // namespace kx
