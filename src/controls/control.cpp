#include "controls/control.h"

#include <algorithm>

namespace kx {

namespace {

// Scripts may place controls anywhere an int reaches; beyond this range no
// canvas exists anyway, and keeping inside it lets every control add and
// subtract its coordinates without overflow.
int clampGeometry(int v) { return std::clamp(v, -kMaxControlCoordinate, kMaxControlCoordinate); }

}  // namespace

KControl::KControl(const KControlInit& init)
    : x_(clampGeometry(init.x)),
      y_(clampGeometry(init.y)),
      width_(clampGeometry(init.width)),
      height_(clampGeometry(init.height)),
      page_(init.page),
      effect_(init.effect),
      host_(init.host) {
    if (init.conditions)
        conditions_ = *init.conditions;
}

KControl::~KControl() = default;

void KControl::Invalidate() {
    dirty_ = true;
    drawn_ = false;
}

void KControl::Erase(KCanvas& canvas) {
    if (drawn_) {
        if (savedBackground_)
            canvas.blitImage(*savedBackground_, KRect{0, 0, savedBackground_->width, savedBackground_->height},
                             KPoint{0, 0});
        else if (host_)
            host_->RestoreBackground(canvas);
    }
    dirty_ = true;
    drawn_ = false;
}

void KControl::DrawIfNeeded(KCanvas& canvas) {
    if (!NeedsDraw(canvas))
        return;
    if (drawn_)
        Erase(canvas);
    Draw(canvas);
    dirty_ = false;
    drawn_ = true;
}

bool KControl::NeedsDraw(KCanvas&) { return !drawn_ || dirty_; }

void KControl::Draw(KCanvas&) {}

void KControl::Refresh() {
    dirty_ = true;
    if (host_)
        host_->RequestRepaint();
}

int KControl::CursorAt(int, int) const { return kCursorDefault; }
bool KControl::LeftDown(bool, bool, int, int) { return false; }
bool KControl::LeftUp(bool, bool, int, int) { return false; }
bool KControl::RightDown(bool, bool, int, int) { return false; }
bool KControl::RightUp(bool, bool, int, int) { return false; }
void KControl::MouseMove(bool, int, int) {}
void KControl::CancelCapture() {}
bool KControl::Wheel(bool, double, int, int) { return false; }
void KControl::EndWheel() {}

bool KControl::IsVisible() const {
    int current = host_ ? host_->GetPage() : 1;
    return (page_ == 0 || page_ == current) && conditions_.evaluate();
}

}  // namespace kx
