// KWindow: a window object that owns one platform window and routes every
// message of it to one of 33 handlers (slot 0 being the destructor). Each
// handler's default rebuilds the message and passes it to defaultProcessing,
// so a derived window overrides only what it handles.
//
// Threads: the host's user-interface thread, like its window system.
#pragma once

#include "editor/window_system.h"

namespace kx {

class KWindow {
public:
    KWindow() = default;
    virtual ~KWindow();
    KWindow(const KWindow&) = delete;
    KWindow& operator=(const KWindow&) = delete;

    // ---- Creation interface --------------------------------------------------
    // Makes the platform window as a child of parent, unless this object's
    // window still exists.
    virtual void create(KWindowSystem& system, KWindowHandle parent);
    // The class name, registered with the window system on each use.
    virtual const char* className();
    // Adjusts the default creation parameters.
    virtual void creationParameters(KCreateStruct& params) { (void)params; }

    // ---- Message interface, in slot order --------------------------------------
    virtual KLResult onActivate(unsigned state, unsigned minimized, KLParam other);
    virtual KLResult onAppMessage(unsigned message, KWParam wParam, KLParam lParam);
    virtual KLResult onCaptureChanged(KWindowHandle gaining);
    virtual KLResult onClose();
    virtual KLResult onCommand(unsigned id, unsigned code, KWindowHandle control);
    virtual KLResult onCreate(const KCreateStruct* params);
    virtual KLResult onCtlColorEdit(KWParam wParam, KLParam lParam);
    virtual KLResult onCtlColorStatic(KWParam wParam, KLParam lParam);
    virtual KLResult onDeviceChange(KWParam wParam, KLParam lParam);
    virtual KLResult onDestroy();
    virtual KLResult onEnable(bool enabled);
    virtual KLResult onEraseBackground(KWParam deviceContext);
    virtual KLResult onGetDialogCode(KLParam lParam);
    virtual KLResult onGetMinMaxInfo(KLParam lParam);
    virtual KLResult onInitDialog(KWParam wParam, KLParam lParam);
    virtual KLResult onKeyDown(unsigned virtualKey, KLParam lParam);
    virtual KLResult onKeyUp(unsigned virtualKey, KLParam lParam);
    virtual KLResult onKillFocus(KWindowHandle gaining);
    virtual KLResult onLeftButtonDown(unsigned keys, int x, int y);
    virtual KLResult onLeftButtonUp(unsigned keys, int x, int y);
    virtual KLResult onMouseMove(unsigned keys, int x, int y);
    virtual KLResult onNcCreate(const KCreateStruct* params);
    virtual KLResult onNotify(KWParam wParam, KLParam lParam);
    virtual KLResult onPaint();
    virtual KLResult onRightButtonDown(unsigned keys, int x, int y);
    virtual KLResult onRightButtonUp(unsigned keys, int x, int y);
    virtual KLResult onSetFocus(KWindowHandle losing);
    virtual KLResult onShowWindow(KWParam wParam, KLParam lParam);
    virtual KLResult onSize(unsigned type, unsigned width, unsigned height);
    virtual KLResult onSysCommand(unsigned command, int x, int y);
    virtual KLResult onTimer(KWParam id, KLParam lParam);
    virtual KLResult onUserMessage(unsigned message, KWParam wParam, KLParam lParam);
    virtual KLResult defaultProcessing(unsigned message, KWParam wParam, KLParam lParam);

    // Routes one message to its handler.
    KLResult dispatch(unsigned message, KWParam wParam, KLParam lParam);

    // The procedure every framework window shares: finds the window object
    // (attaching it on WM_NCCREATE) and dispatches; a handler's exception
    // ends there and the message answers -1.
    static KLResult windowProcedure(KWindowSystem& system, KWindowHandle window, unsigned message, KWParam wParam,
                                    KLParam lParam);

    KWindowHandle hwnd() const { return hwnd_; }
    KWindowSystem* windowSystem() const { return system_; }
    // The platform window exists.
    bool isLive() const { return hwnd_ && system_ && system_->isWindow(hwnd_); }
    // Destroys the platform window when it exists; forgets the handle.
    void destroyWindow();

protected:
    // Sends the message to the parent when that is a live window of ours,
    // else to default processing: how commands and application messages
    // travel up to the host.
    KLResult sendToParent(unsigned message, KWParam wParam, KLParam lParam);
    // Attaches this object to a window made without it (a system control).
    void attach(KWindowSystem& system, KWindowHandle window);
    void detach();

    KWindowHandle hwnd_ = 0;
    KWindowSystem* system_ = nullptr;  // not owned; set while a window exists

private:
    char className_[64] = {};
};

}  // namespace kx
