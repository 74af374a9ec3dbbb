#include "controls/slide.h"

#include <algorithm>
#include <cmath>

#include "controls/effect_link.h"
#include "skin/resource.h"

namespace kx {

KSlide::KSlide(const KControlInit& init, int param, const KImageResource* handle,
               const KColourResource* highlight, KRect highlightRect)
    : KControl(init),
      param_(param),
      handle_(handle),
      highlight_(highlight),
      highlightRect_(highlightRect),
      travel_(height_ - std::min(handle->frameHeight(), kMaxControlCoordinate)) {
    for (int* v : {&highlightRect_.x, &highlightRect_.y, &highlightRect_.w, &highlightRect_.h})
        *v = std::clamp(*v, -kMaxControlCoordinate, kMaxControlCoordinate);
}

int KSlide::handleY() const {
    double v = paramQuantised(effect_, param_);
    return travel_ - static_cast<int>((travel_ - 1) * v + 0.5);
}

bool KSlide::onHandle(int x, int y) const {
    return x >= 0 && x < handle_->frameWidth() && y >= lastHandleY_ &&
           static_cast<long long>(y) - lastHandleY_ < handle_->frameHeight();
}

int KSlide::CursorAt(int x, int y) const {
    return held_ || onHandle(x, y) ? kControlCursorHand : kControlCursorArrow;
}

bool KSlide::LeftDown(bool, bool ctrl, int x, int y) {
    if (!onHandle(x, y))
        return held_;
    if (held_)
        return true;
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
    return held_;
}

void KSlide::MouseMove(bool shift, int x, int y) {
    // A handle as tall as the track (or taller) leaves no travel to scale a
    // drag by: the slider then holds still instead of dividing by zero.
    if (!dragging_ || travel_ <= 0)
        return;
    double delta = (static_cast<double>(lastY_) - y) / travel_;
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

bool KSlide::LeftUp(bool, bool, int, int) {
    if (!held_)
        return false;
    held_ = false;
    dragging_ = false;
    hostEndEdit(effect_, param_);
    Refresh();
    return true;
}

void KSlide::CancelCapture() { LeftUp(false, false, 0, 0); }

bool KSlide::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || handleY() != lastHandleY_;
}

void KSlide::Draw(KCanvas& canvas) {
    int hy = handleY();
    handle_->drawFrame(canvas, 0, 0, hy);
    if (held_)
        canvas.blendRect(highlightRect_.x, hy + highlightRect_.y, highlightRect_.w, highlightRect_.h,
                         highlight_->colour());
    lastHandleY_ = hy;
}

}  // namespace kx
