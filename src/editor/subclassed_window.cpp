#include "editor/subclassed_window.h"

namespace kx {

KSubclassedWindow::~KSubclassedWindow() { restoreProcedure(); }

bool KSubclassedWindow::createControl(KWindowSystem& system, KCreateStruct params) {
    params.createParams = nullptr;  // a system control takes no object at creation
    KWindowHandle control = system.createWindow(params);
    if (!control)
        return false;
    attach(system, control);
    savedWindowProcedure_ = system.setWindowProc(control, &KWindow::windowProcedure);
    return true;
}

void KSubclassedWindow::restoreProcedure() {
    if (savedWindowProcedure_ && isLive()) {
        system_->setWindowProc(hwnd_, savedWindowProcedure_);
        system_->setUserData(hwnd_, nullptr);
    }
    savedWindowProcedure_ = nullptr;
}

KLResult KSubclassedWindow::defaultProcessing(unsigned message, KWParam wParam, KLParam lParam) {
    if (!system_)
        return 0;
    if (savedWindowProcedure_)
        return savedWindowProcedure_(*system_, hwnd_, message, wParam, lParam);
    return system_->defWindowProc(hwnd_, message, wParam, lParam);
}

}  // namespace kx
