// The window system on Linux: Xlib, on a connection of the editor's own.
//
// Roles as this binding plays them:
// - Windows are X windows made by this connection, children of the host's
//   window (an X window id); no background, so nothing is ever erased.
// - Messages: X events become the framework's messages in processEvents,
//   which the host drives from effEditIdle; WM_PAINT goes out in
//   paintInvalidated for windows invalidated or exposed.
// - Capture is an active pointer grab by the window, taken on the press
//   (converting its implicit grab). It never outlives the buttons: when the
//   last one is released the grab goes and the window hears that capture
//   changed. Losing it otherwise (the server ends it, the window becomes
//   unviewable) or the focus leaving the host's top-level window during a
//   drag reads as capture changed.
// - Focus: plain clicks never take the X keyboard focus (that would steal
//   the host's shortcuts); the editor window's focus is only our own
//   bookkeeping. The text box takes the X focus and gives it back when it
//   closes.
// - The keyboard hook: while the text box is open it holds a keyboard grab,
//   together with a pointer grab (events to our own windows as usual) so
//   that a click outside ends it; both go the moment the box commits,
//   cancels or is clicked away, and never outlast the host's idle calls by
//   more than a second (X11KeyboardHold). A box whose window can no longer
//   hold them (the host hid or unmapped the editor) commits and closes.
// - Errors on this connection are trapped (X11ErrorTrap); a window the host
//   destroyed is noticed from its DestroyNotify and never addressed again.
//
// Threads: the host's user-interface thread only.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "editor/linux/x11_error_trap.h"
#include "editor/linux/x11_keyboard_hold.h"
#include "editor/window_system.h"

namespace kx {

class X11Picture;

class X11WindowSystem final : public KWindowSystem {
public:
    explicit X11WindowSystem(Display* display);
    ~X11WindowSystem() override;

    bool registerClass(const char* className, KWindowProc procedure) override;
    KWindowHandle createWindow(const KCreateStruct& params) override;
    void destroyWindow(KWindowHandle window) override;
    bool isWindow(KWindowHandle window) const override;
    KWindowHandle parentOf(KWindowHandle window) const override;
    void* moduleHandle() const override;

    void* userData(KWindowHandle window) const override;
    void setUserData(KWindowHandle window, void* data) override;
    void* extraData(KWindowHandle window) const override;
    void setExtraData(KWindowHandle window, void* data) override;
    KWindowProc setWindowProc(KWindowHandle window, KWindowProc procedure) override;
    KLResult defWindowProc(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) override;
    KLResult sendMessage(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) override;

    void invalidate(KWindowHandle window) override;
    void present(KWindowHandle window, const KCanvas& canvas) override;
    void setWindowPos(KWindowHandle window, int x, int y, int width, int height) override;
    void showWindow(KWindowHandle window, bool show) override;

    void setCapture(KWindowHandle window) override;
    void releaseCapture() override;
    KWindowHandle capture() const override { return capture_; }
    void setFocus(KWindowHandle window) override;
    KWindowHandle focus() const override { return focus_; }
    void setCursor(KWindowHandle window, KCursorShape shape) override;
    bool isKeyDown(unsigned virtualKey) const override;
    bool screenToClient(KWindowHandle window, int& x, int& y) override;
    void setKeyModifiers(bool shift, bool control) override;
    void holdKeyboard(KWindowHandle window) override;
    void releaseKeyboard() override;
    size_t clipboardText(char* text, size_t size) override;

    void processEvents() override;
    void paintInvalidated() override;
    void sync() override;
    int eventDescriptor() const override { return ConnectionNumber(display_); }

    Display* display() const { return display_; }
    // Errors the server reported for this connection's requests.
    const X11ErrorRecord& errors() const { return errors_; }
    bool holdsKeyboard() const { return keyboardWindow_ != 0; }
    bool usesSharedMemory(KWindowHandle window) const;

private:
    struct Record;
    struct WindowClass;

    Record* find(KWindowHandle window) const;
    bool isSelfOrDescendant(KWindowHandle window, KWindowHandle ancestor) const;
    KLResult deliver(Record& record, unsigned message, KWParam wParam, KLParam lParam);
    void destroyTree(Record& record, bool destroyX);
    void sweep();
    void handleEvent(XEvent& event);
    void onButton(const XButtonEvent& event);
    // A wheel notch no window of ours used goes on to the host's window
    // above `record`, as if we had not selected the buttons.
    void passWheelOn(const Record& record);
    void onMotion(XEvent& event);
    void onCrossing(const XCrossingEvent& event);
    // Takes (or confirms) the capture grab for the window; false when the
    // server refuses it.
    bool regrab(Record& record);
    void onFocus(const XFocusChangeEvent& event);
    void onKey(XKeyEvent& event);
    void onDestroyed(Window window);
    void takeXFocus(Record& record);
    void giveBackXFocus();
    Cursor cursor(KCursorShape shape);

    Display* display_;
    X11ErrorRecord errors_;
    X11KeyboardHold hold_{display_, errors_};
    std::vector<std::unique_ptr<Record>> windows_;
    std::vector<std::unique_ptr<WindowClass>> classes_;
    KWindowHandle capture_ = 0;
    KWindowHandle focus_ = 0;
    KWindowHandle keyboardWindow_ = 0;  // the window holding the keyboard grab
    bool xFocusTaken_ = false;          // one of ours has the X focus, taken from savedFocus_
    Window savedFocus_ = None;
    int savedRevert_ = RevertToParent;
    unsigned long grabSerial_ = 0;  // the request that took the capture grab
    Cursor cursors_[3] = {};
    Time lastTime_ = CurrentTime;
    const XButtonEvent* wheel_ = nullptr;  // the wheel notch being delivered
    bool shift_ = false;
    bool control_ = false;
    int depth_ = 0;  // messages being delivered; records are erased at 0 only
};

}  // namespace kx
