// KPressBase: the press and release that page selectors, command buttons,
// buttons, switches and radios share. A left press takes the mouse; the
// release lets it go, wherever the pointer is then; a lost capture ends the
// press without what the release does. Each of them declares only what its
// press and its release do, and how it looks.
#pragma once

#include "controls/control.h"

namespace kx {

class KPressBase : public KControl {
public:
    using KControl::KControl;

    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool LeftUp(bool shift, bool ctrl, int x, int y) override;
    void CancelCapture() override;
    bool isPressed() const { return pressed_; }

protected:
    // The press, with pressed already set; it asks for its own repaint.
    virtual void onPress(bool shift, bool ctrl) = 0;
    // The release of a press begun here (a Refresh follows).
    virtual void onRelease(bool shift, bool ctrl) = 0;
    // The capture was lost mid-press (a Refresh follows).
    virtual void onCancel() {}

    bool pressed_ = false;
};

}  // namespace kx
