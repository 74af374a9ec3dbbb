// KSubclassedWindow: a window object wrapped around a system control (one
// the window system makes with its own procedure, like the one-line text
// control). Its messages reach the object's handlers first; what they pass
// on goes to the control's own procedure.
#pragma once

#include "editor/window.h"

namespace kx {

class KSubclassedWindow : public KWindow {
public:
    ~KSubclassedWindow() override;

    // The control's own procedure, or the system's default without one.
    KLResult defaultProcessing(unsigned message, KWParam wParam, KLParam lParam) override;

protected:
    // Makes a system control of the class and takes over its messages; false
    // when the control could not be made.
    bool createControl(KWindowSystem& system, KCreateStruct params);
    // Gives the control its own procedure back (while it still exists).
    void restoreProcedure();

private:
    KWindowProc savedWindowProcedure_ = nullptr;
};

}  // namespace kx
