// The press-drag-release behaviour that dials and the slider share: one
// begin/end edit pair per press, Ctrl-press resets to the default, and the
// pointer position tracked per event so that turning back acts at once.
// Also their mouse wheel: a burst of notches is one begin/end edit pair.
#pragma once

#include "controls/param_edit.h"

namespace kx {

class KDragGesture {
public:
    explicit KDragGesture(const KParamEdit& edit) : edit_(edit) {}

    // A press; true unless already held (a second button changes nothing).
    bool press(bool ctrl, int x, int y);
    // A move to (x, y) while dragging: the stored value changes by delta
    // (the control's own law from lastX and lastY), a tenth of it with Shift,
    // clamped to 0..1.
    void move(bool shift, int x, int y, double delta);
    // Release or lost capture; false when nothing was held.
    bool release();

    // Wheel notches (fractions add up): a hundredth of the range each, a
    // thousandth with Shift; on a grid of `grid` intervals (steps, choices)
    // whole grid steps, at least one. The first notch begins the edit.
    // Ignored while a press holds the control.
    void turn(bool shift, double notches, int grid);
    // The burst is over; false when none was going on.
    bool endTurn();
    bool isTurning() const { return turning_; }

    int param() const { return edit_.param(); }
    bool isHeld() const { return held_; }
    bool isDragging() const { return dragging_; }
    int lastX() const { return lastX_; }
    int lastY() const { return lastY_; }

private:
    KParamEdit edit_;
    int lastX_ = 0;
    int lastY_ = 0;
    bool held_ = false;
    bool dragging_ = false;
    bool turning_ = false;
    double pendingNotches_ = 0;  // grid parameters: the part short of a step
};

}  // namespace kx
