// The platform seam of the editor window: the few window-system services the
// window framework needs, in the roles of the Win32 calls they stand for.
// Everything above it (message dispatch, capture, cursors, the refresh
// throttle, paint order, the text entry) is platform-neutral; each platform
// has one binding (linux/: Xlib; win32/: USER32 and GDI32) that implements
// this interface and turns its native events into the framework's messages
// (window_messages.h). Windows hear WM_MOUSELEAVE whenever the pointer
// leaves them (without asking, unlike Win32's TrackMouseEvent).
//
// Threads: an instance belongs to the host's user-interface thread, which
// makes every call on it; none may come from any other thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "editor/window_messages.h"

namespace kx {

class KCanvas;
class KWindowSystem;

// A window of the platform (an X11 Window id, an HWND); 0 is none.
using KWindowHandle = std::uintptr_t;

// A window procedure; every message to a window goes through its procedure.
using KWindowProc = KLResult (*)(KWindowSystem& system, KWindowHandle window, unsigned message, KWParam wParam,
                                 KLParam lParam);

// The creation record a new window receives with WM_NCCREATE and WM_CREATE
// (lParam points at it), as CREATESTRUCT carries it.
struct KCreateStruct {
    void* createParams = nullptr;  // the window object, for framework windows
    void* instance = nullptr;      // the plug-in module
    KWindowHandle parent = 0;
    int height = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int x = CW_USEDEFAULT;
    uint32_t style = 0;
    const char* title = nullptr;
    const char* className = nullptr;
    uint32_t exStyle = 0;
};

// The class name of the system's one-line text control.
inline constexpr const char* kEditClassName = "Edit";

// Cursor kinds a window can show.
enum class KCursorShape { arrow, hand, textBeam };

class KWindowSystem {
public:
    virtual ~KWindowSystem() = default;

    // ---- Classes and windows -------------------------------------------------
    // RegisterClassExA: a class name for windows of the given procedure.
    // Registering a name twice is harmless.
    virtual bool registerClass(const char* className, KWindowProc procedure) = 0;
    // CreateWindowExA: makes the window and sends WM_NCCREATE and WM_CREATE
    // through its class's procedure before returning; 0 when the window
    // could not be made or a creation message refused it.
    virtual KWindowHandle createWindow(const KCreateStruct& params) = 0;
    // DestroyWindow: WM_DESTROY to the window and then to its children, the
    // window disappears. A handle that is no window is ignored.
    virtual void destroyWindow(KWindowHandle window) = 0;
    // IsWindow: a window of this system that still exists.
    virtual bool isWindow(KWindowHandle window) const = 0;
    // GetParent; 0 for none.
    virtual KWindowHandle parentOf(KWindowHandle window) const = 0;
    // The plug-in module's handle, as window classes are named by it.
    virtual void* moduleHandle() const = 0;

    // ---- Procedures and messages -------------------------------------------
    // GWLP_USERDATA.
    virtual void* userData(KWindowHandle window) const = 0;
    virtual void setUserData(KWindowHandle window, void* data) = 0;
    // The window class's own data for the window (cbWndExtra): what a
    // system control keeps about itself.
    virtual void* extraData(KWindowHandle window) const = 0;
    virtual void setExtraData(KWindowHandle window, void* data) = 0;
    // GWLP_WNDPROC: replaces the window's procedure, answering the old one.
    virtual KWindowProc setWindowProc(KWindowHandle window, KWindowProc procedure) = 0;
    // DefWindowProcA.
    virtual KLResult defWindowProc(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) = 0;
    // SendMessageA to a window of this system; 0 for any other handle.
    virtual KLResult sendMessage(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) = 0;

    // ---- Painting and placement ----------------------------------------------
    // InvalidateRect of the whole window without erasing: a WM_PAINT follows
    // at the end of the current event processing.
    virtual void invalidate(KWindowHandle window) = 0;
    // BeginPaint, one copy of the canvas's pixels to the window's origin,
    // EndPaint.
    virtual void present(KWindowHandle window, const KCanvas& canvas) = 0;
    // ScreenToClient: a point of the screen in the window's own pixels;
    // false when the window is gone.
    virtual bool screenToClient(KWindowHandle window, int& x, int& y) = 0;
    // SetWindowPos with SWP_NOZORDER.
    virtual void setWindowPos(KWindowHandle window, int x, int y, int width, int height) = 0;
    // ShowWindow.
    virtual void showWindow(KWindowHandle window, bool show) = 0;

    // ---- Input -------------------------------------------------------------
    // SetCapture / ReleaseCapture. Releasing sends WM_CAPTURECHANGED to the
    // window that had the capture.
    virtual void setCapture(KWindowHandle window) = 0;
    virtual void releaseCapture() = 0;
    virtual KWindowHandle capture() const = 0;
    // SetFocus / GetFocus, among this system's windows. Moving the focus
    // sends WM_KILLFOCUS to the window that had it and WM_SETFOCUS to the
    // new one. A platform may decline to take the host's keyboard focus for
    // a window that only wants it for mouse handling (see the binding).
    virtual void setFocus(KWindowHandle window) = 0;
    virtual KWindowHandle focus() const = 0;
    // The window's cursor while the pointer is over it.
    virtual void setCursor(KWindowHandle window, KCursorShape shape) = 0;
    // GetKeyState's "is down" for VK_SHIFT and VK_CONTROL at the message
    // being processed. Keys delivered on the host's behalf set the state
    // they came with first.
    virtual bool isKeyDown(unsigned virtualKey) const = 0;
    virtual void setKeyModifiers(bool shift, bool control) = 0;
    // The keyboard hook's role: while held, keystrokes reach the window that
    // has the focus even where the host would take them. Released at once
    // by releaseKeyboard, never outliving the window.
    virtual void holdKeyboard(KWindowHandle window) = 0;
    virtual void releaseKeyboard() = 0;
    // Text of the system clipboard in single-byte form, cut to size - 1 and
    // terminated; the length. Waits only briefly for another program.
    virtual size_t clipboardText(char* text, size_t size) = 0;

    // ---- Event processing --------------------------------------------------
    // Turns every pending native event into messages to the windows. Never
    // blocks.
    virtual void processEvents() = 0;
    // Sends WM_PAINT to the windows invalidated since the last paint.
    virtual void paintInvalidated() = 0;
    // Waits until the window system has carried out every request made so far.
    virtual void sync() = 0;
    // A descriptor that becomes readable when events arrive, for a host that
    // watches it for us; -1 where the platform has none.
    virtual int eventDescriptor() const { return -1; }
};

// Connects to the platform's window system; null when there is none (no
// display, or one that refuses the connection). Nothing touches the window
// system before this is called.
std::unique_ptr<KWindowSystem> connectWindowSystem();

}  // namespace kx
