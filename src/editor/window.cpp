#include "editor/window.h"

#include <cstdio>

namespace kx {

KWindow::~KWindow() {
    // A derived window destroys its platform window itself; this is the
    // safety net that keeps messages from reaching a freed object.
    if (isLive()) {
        system_->setUserData(hwnd_, nullptr);
        system_->destroyWindow(hwnd_);
    }
}

const char* KWindow::className() {
    if (!className_[0])
        std::snprintf(className_, sizeof className_, "KWinClass_%p_%p", system_ ? system_->moduleHandle() : nullptr,
                      reinterpret_cast<void*>(&KWindow::windowProcedure));
    // One class per module, shared by its windows; registering it again (a
    // new connection to the window system after a reopen) is harmless.
    if (system_)
        system_->registerClass(className_, &KWindow::windowProcedure);
    return className_;
}

void KWindow::create(KWindowSystem& system, KWindowHandle parent) {
    // A handle from another (earlier) connection is never asked about: that
    // connection may be gone.
    if (system_ == &system && isLive())
        return;
    hwnd_ = 0;
    system_ = &system;
    KCreateStruct params;
    params.instance = system.moduleHandle();
    params.parent = parent;
    creationParameters(params);
    params.className = className();
    params.createParams = this;
    if (!system.createWindow(params))
        hwnd_ = 0;  // WM_NCCREATE may have attached a window that was then refused
}

void KWindow::destroyWindow() {
    if (isLive())
        system_->destroyWindow(hwnd_);
    hwnd_ = 0;
}

void KWindow::attach(KWindowSystem& system, KWindowHandle window) {
    system_ = &system;
    hwnd_ = window;
    system.setUserData(window, static_cast<void*>(this));
}

void KWindow::detach() {
    if (hwnd_ && system_ && system_->isWindow(hwnd_))
        system_->setUserData(hwnd_, nullptr);
    hwnd_ = 0;
}

KLResult KWindow::windowProcedure(KWindowSystem& system, KWindowHandle window, unsigned message, KWParam wParam,
                                  KLParam lParam) {
    try {
        if (auto* object = static_cast<KWindow*>(system.userData(window))) {
            KLResult result = object->dispatch(message, wParam, lParam);
            // The last message a window receives: the object lets go of it.
            if (message == WM_NCDESTROY && object->hwnd_ == window)
                object->detach();
            return result;
        }
        if (message != WM_NCCREATE)
            return system.defWindowProc(window, message, wParam, lParam);
        const auto* params = reinterpret_cast<const KCreateStruct*>(lParam);
        auto* object = params ? static_cast<KWindow*>(params->createParams) : nullptr;
        if (!object)
            return system.defWindowProc(window, message, wParam, lParam);
        object->attach(system, window);
        return object->dispatch(message, wParam, lParam);
    } catch (...) {
        return -1;
    }
}

KLResult KWindow::dispatch(unsigned message, KWParam wParam, KLParam lParam) {
    switch (message) {
    case WM_ACTIVATE: return onActivate(loWord(wParam), hiWord(wParam), lParam);
    case WM_CAPTURECHANGED: return onCaptureChanged(static_cast<KWindowHandle>(lParam));
    case WM_CLOSE: return onClose();
    case WM_COMMAND: return onCommand(loWord(wParam), hiWord(wParam), static_cast<KWindowHandle>(lParam));
    case WM_CREATE: return onCreate(reinterpret_cast<const KCreateStruct*>(lParam));
    case WM_CTLCOLOREDIT: return onCtlColorEdit(wParam, lParam);
    case WM_CTLCOLORSTATIC: return onCtlColorStatic(wParam, lParam);
    case WM_DEVICECHANGE: return onDeviceChange(wParam, lParam);
    case WM_DESTROY: return onDestroy();
    case WM_ENABLE: return onEnable(wParam != 0);
    case WM_ERASEBKGND: return onEraseBackground(wParam);
    case WM_GETDLGCODE: return onGetDialogCode(lParam);
    case WM_GETMINMAXINFO: return onGetMinMaxInfo(lParam);
    case WM_INITDIALOG: return onInitDialog(wParam, lParam);
    case WM_KEYDOWN: return onKeyDown(static_cast<unsigned>(wParam), lParam);
    case WM_KEYUP: return onKeyUp(static_cast<unsigned>(wParam), lParam);
    case WM_KILLFOCUS: return onKillFocus(static_cast<KWindowHandle>(wParam));
    case WM_LBUTTONDOWN: return onLeftButtonDown(loWord(wParam), pointX(lParam), pointY(lParam));
    case WM_LBUTTONUP: return onLeftButtonUp(loWord(wParam), pointX(lParam), pointY(lParam));
    case WM_MOUSEMOVE: return onMouseMove(loWord(wParam), pointX(lParam), pointY(lParam));
    case WM_NCCREATE: return onNcCreate(reinterpret_cast<const KCreateStruct*>(lParam));
    case WM_NOTIFY: return onNotify(wParam, lParam);
    case WM_PAINT: return onPaint();
    case WM_RBUTTONDOWN: return onRightButtonDown(loWord(wParam), pointX(lParam), pointY(lParam));
    case WM_RBUTTONUP: return onRightButtonUp(loWord(wParam), pointX(lParam), pointY(lParam));
    case WM_SETFOCUS: return onSetFocus(static_cast<KWindowHandle>(wParam));
    case WM_SHOWWINDOW: return onShowWindow(wParam, lParam);
    case WM_SIZE:
        return onSize(loWord(wParam), loWord(static_cast<KWParam>(lParam)), hiWord(static_cast<KWParam>(lParam)));
    case WM_SYSCOMMAND: return onSysCommand(static_cast<unsigned>(wParam), pointX(lParam), pointY(lParam));
    case WM_TIMER: return onTimer(wParam, lParam);
    default: break;
    }
    if (message >= WM_APP && message <= kLastAppMessage)
        return onAppMessage(message, wParam, lParam);
    if (message >= WM_USER && message < WM_APP)
        return onUserMessage(message, wParam, lParam);
    return defaultProcessing(message, wParam, lParam);
}

KLResult KWindow::sendToParent(unsigned message, KWParam wParam, KLParam lParam) {
    KWindowHandle parent = system_ && hwnd_ ? system_->parentOf(hwnd_) : 0;
    if (parent && system_->isWindow(parent))
        return system_->sendMessage(parent, message, wParam, lParam);
    return defaultProcessing(message, wParam, lParam);
}

// ---- Defaults: each handler rebuilds its message for default processing ----

namespace {

KLResult handle(KWindowHandle window) { return static_cast<KLResult>(window); }
KWParam word(KWindowHandle window) { return static_cast<KWParam>(window); }

}  // namespace

KLResult KWindow::onActivate(unsigned state, unsigned minimized, KLParam other) {
    return defaultProcessing(WM_ACTIVATE, makeWParam(state, minimized), other);
}
KLResult KWindow::onAppMessage(unsigned message, KWParam wParam, KLParam lParam) {
    return defaultProcessing(message, wParam, lParam);
}
KLResult KWindow::onCaptureChanged(KWindowHandle gaining) {
    return defaultProcessing(WM_CAPTURECHANGED, 0, handle(gaining));
}
KLResult KWindow::onClose() { return defaultProcessing(WM_CLOSE, 0, 0); }
KLResult KWindow::onCommand(unsigned id, unsigned code, KWindowHandle control) {
    return defaultProcessing(WM_COMMAND, makeWParam(id, code), handle(control));
}
KLResult KWindow::onCreate(const KCreateStruct* params) {
    return defaultProcessing(WM_CREATE, 0, reinterpret_cast<KLParam>(params));
}
KLResult KWindow::onCtlColorEdit(KWParam wParam, KLParam lParam) {
    return defaultProcessing(WM_CTLCOLOREDIT, wParam, lParam);
}
KLResult KWindow::onCtlColorStatic(KWParam wParam, KLParam lParam) {
    return defaultProcessing(WM_CTLCOLORSTATIC, wParam, lParam);
}
KLResult KWindow::onDeviceChange(KWParam wParam, KLParam lParam) {
    return defaultProcessing(WM_DEVICECHANGE, wParam, lParam);
}
KLResult KWindow::onDestroy() { return defaultProcessing(WM_DESTROY, 0, 0); }
KLResult KWindow::onEnable(bool enabled) { return defaultProcessing(WM_ENABLE, enabled ? 1 : 0, 0); }
KLResult KWindow::onEraseBackground(KWParam deviceContext) {
    return defaultProcessing(WM_ERASEBKGND, deviceContext, 0);
}
KLResult KWindow::onGetDialogCode(KLParam lParam) { return defaultProcessing(WM_GETDLGCODE, 0, lParam); }
KLResult KWindow::onGetMinMaxInfo(KLParam lParam) { return defaultProcessing(WM_GETMINMAXINFO, 0, lParam); }
KLResult KWindow::onInitDialog(KWParam wParam, KLParam lParam) {
    return defaultProcessing(WM_INITDIALOG, wParam, lParam);
}
KLResult KWindow::onKeyDown(unsigned virtualKey, KLParam lParam) {
    return defaultProcessing(WM_KEYDOWN, virtualKey, lParam);
}
KLResult KWindow::onKeyUp(unsigned virtualKey, KLParam lParam) {
    return defaultProcessing(WM_KEYUP, virtualKey, lParam);
}
KLResult KWindow::onKillFocus(KWindowHandle gaining) { return defaultProcessing(WM_KILLFOCUS, word(gaining), 0); }
KLResult KWindow::onLeftButtonDown(unsigned keys, int x, int y) {
    return defaultProcessing(WM_LBUTTONDOWN, keys, makeLParam(x, y));
}
KLResult KWindow::onLeftButtonUp(unsigned keys, int x, int y) {
    return defaultProcessing(WM_LBUTTONUP, keys, makeLParam(x, y));
}
KLResult KWindow::onMouseMove(unsigned keys, int x, int y) {
    return defaultProcessing(WM_MOUSEMOVE, keys, makeLParam(x, y));
}
KLResult KWindow::onNcCreate(const KCreateStruct* params) {
    return defaultProcessing(WM_NCCREATE, 0, reinterpret_cast<KLParam>(params));
}
KLResult KWindow::onNotify(KWParam wParam, KLParam lParam) { return defaultProcessing(WM_NOTIFY, wParam, lParam); }
KLResult KWindow::onPaint() { return defaultProcessing(WM_PAINT, 0, 0); }
KLResult KWindow::onRightButtonDown(unsigned keys, int x, int y) {
    return defaultProcessing(WM_RBUTTONDOWN, keys, makeLParam(x, y));
}
KLResult KWindow::onRightButtonUp(unsigned keys, int x, int y) {
    return defaultProcessing(WM_RBUTTONUP, keys, makeLParam(x, y));
}
KLResult KWindow::onSetFocus(KWindowHandle losing) { return defaultProcessing(WM_SETFOCUS, word(losing), 0); }
KLResult KWindow::onShowWindow(KWParam wParam, KLParam lParam) {
    return defaultProcessing(WM_SHOWWINDOW, wParam, lParam);
}
KLResult KWindow::onSize(unsigned type, unsigned width, unsigned height) {
    return defaultProcessing(WM_SIZE, type, makeLParam(static_cast<int>(width), static_cast<int>(height)));
}
KLResult KWindow::onSysCommand(unsigned command, int x, int y) {
    return defaultProcessing(WM_SYSCOMMAND, command, makeLParam(x, y));
}
KLResult KWindow::onTimer(KWParam id, KLParam lParam) { return defaultProcessing(WM_TIMER, id, lParam); }
KLResult KWindow::onUserMessage(unsigned message, KWParam wParam, KLParam lParam) {
    return defaultProcessing(message, wParam, lParam);
}
KLResult KWindow::defaultProcessing(unsigned message, KWParam wParam, KLParam lParam) {
    return system_ ? system_->defWindowProc(hwnd_, message, wParam, lParam) : 0;
}

}  // namespace kx
