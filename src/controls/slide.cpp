#include "controls/slide.h"

#include <algorithm>
#include <cmath>

#include "controls/effect_link.h"
#include "graphics/resource.h"

namespace kx {

KSlide::KSlide(const KControlInit& init, int param, const KImageResource* handle, const KColourResource* highlight,
               KRect highlightRect)
    : KControl(init),
      param_(param),
      handle_(handle),
      highlight_(highlight),
      highlightRect_(highlightRect),
      travel_(height_ - std::min(handle->frameHeight(), kMaxControlCoordinate)),
      drag_(KParamEdit(init.effect, param)) {
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

int KSlide::CursorAt(int x, int y) const { return drag_.isHeld() || onHandle(x, y) ? kCursorHand : kCursorDefault; }

bool KSlide::LeftDown(bool, bool ctrl, int x, int y) {
    // The track can't be clicked: only a press on the handle takes.
    if (!onHandle(x, y))
        return drag_.isHeld();
    if (drag_.press(ctrl, x, y))
        Refresh();
    return true;
}

void KSlide::MouseMove(bool shift, int x, int y) {
    // A handle as tall as the track (or taller) leaves no travel to scale a
    // drag by: the slider then holds still instead of dividing by zero.
    if (!drag_.isDragging() || travel_ <= 0)
        return;
    drag_.move(shift, x, y, (static_cast<double>(drag_.lastY()) - y) / travel_);
    Refresh();
}

bool KSlide::LeftUp(bool, bool, int, int) {
    if (!drag_.release())
        return false;
    Refresh();
    return true;
}

void KSlide::CancelCapture() { LeftUp(false, false, 0, 0); }

bool KSlide::Wheel(bool shift, double notches, int, int) {
    drag_.turn(shift, notches, paramGridSteps(effect_, param_));
    Refresh();
    return true;
}

void KSlide::EndWheel() { drag_.endTurn(); }

bool KSlide::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || handleY() != lastHandleY_; }

void KSlide::Draw(KCanvas& canvas) {
    int hy = handleY();
    handle_->drawFrame(canvas, 0, 0, hy);
    if (drag_.isHeld())
        canvas.blendRect(highlightRect_.x, hy + highlightRect_.y, highlightRect_.w, highlightRect_.h,
                         highlight_->colour());
    lastHandleY_ = hy;
}

}  // namespace kx
