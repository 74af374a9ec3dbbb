// KPotBase: the drag behaviour every dial shares. Vertical drag with a
// quarter-weight horizontal part, fine mode with Shift, Ctrl-click resets to
// the default, and one begin/end edit pair around each press; the wheel turns
// the dial.
#pragma once

#include "controls/control.h"
#include "controls/drag_gesture.h"

namespace kx {

class KPotBase : public KControl {
public:
    KPotBase(const KControlInit& init, int param)
        : KControl(init), param_(param), drag_(KParamEdit(init.effect, param)) {}

    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool LeftUp(bool shift, bool ctrl, int x, int y) override;
    void MouseMove(bool shift, int x, int y) override;
    void CancelCapture() override;
    bool Wheel(bool shift, double notches, int x, int y) override;
    void EndWheel() override;

    bool isHeld() const { return drag_.isHeld(); }

protected:
    // The value shown: the parameter's quantised value.
    double shownValue() const;

    int param_;
    KDragGesture drag_;
};

// The point at distance r from the centre for value v: a 270-degree sweep,
// clockwise from seven-thirty (v = 0) to four-thirty (v = 1).
void potAnglePoint(double cx, double cy, double r, double v, double& px, double& py);

}  // namespace kx
