#include "editor/linux/x11_window_system.h"

#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstring>

#include "editor/linux/x11_clipboard.h"
#include "editor/linux/x11_focus.h"
#include "editor/linux/x11_keys.h"
#include "editor/linux/x11_picture.h"
#include "editor/text_field.h"

namespace kx {

namespace {

// What an editor window hears. Keys only reach the text box: selecting them
// on the editor window would take the host's keys whenever the pointer
// rests over it.
constexpr long kWindowEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                               EnterWindowMask | LeaveWindowMask | FocusChangeMask | StructureNotifyMask;
constexpr long kKeyboardEvents = KeyPressMask | KeyReleaseMask;
constexpr unsigned kCaptureEvents =
    ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask;
// X windows are at most 65535 pixels a side; the host's record holds 32767.
constexpr int kMaxWindowSide = 32767;
// How long a paste waits for the program that holds the clipboard.
constexpr int kClipboardWaitMs = 100;

int windowSide(int requested) { return requested == CW_USEDEFAULT ? 1 : std::clamp(requested, 1, kMaxWindowSide); }
// Positions travel as 16-bit numbers; skin rectangles may lie far outside.
int windowPosition(int requested) { return requested == CW_USEDEFAULT ? 0 : std::clamp(requested, -32768, 32767); }

unsigned buttonKeys(unsigned state) {
    return (state & Button1Mask ? MK_LBUTTON : 0) | (state & Button3Mask ? MK_RBUTTON : 0) |
           (state & Button2Mask ? MK_MBUTTON : 0) | (state & ShiftMask ? MK_SHIFT : 0) |
           (state & ControlMask ? MK_CONTROL : 0);
}

// Counts a message in delivery, exceptions included.
class DepthCount {
public:
    explicit DepthCount(int& depth) : depth_(depth) { ++depth_; }
    ~DepthCount() { --depth_; }

private:
    int& depth_;
};

// The server connection died: Xlib would end the process after reporting
// it (libX11 1.7 and later let a connection's owner decline). Looked up at
// run time, so that older libraries still load the plug-in.
void keepProcessOnConnectionLoss(Display* display) {
    using SetExitHandler = void (*)(Display*, void (*)(Display*, void*), void*);
    auto set = reinterpret_cast<SetExitHandler>(dlsym(RTLD_DEFAULT, "XSetIOErrorExitHandler"));
    if (set)
        set(
            display, [](Display*, void*) {}, nullptr);
}

}  // namespace

struct X11WindowSystem::Record {
    Window xid = 0;
    KWindowHandle parent = 0;
    KWindowProc procedure = nullptr;
    void* userData = nullptr;
    void* extraData = nullptr;
    bool takesKeyboard = false;  // the text box's class
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    std::unique_ptr<X11Picture> picture;
    bool mapped = false;
    bool invalid = false;
    bool destroying = false;
    bool gone = false;  // the X window no longer exists
    bool dead = false;  // destroyed; erased when no message is in delivery
};

struct X11WindowSystem::WindowClass {
    char name[64] = {};
    KWindowProc procedure = nullptr;
    bool takesKeyboard = false;
};

std::unique_ptr<KWindowSystem> connectWindowSystem() {
    // The text box's watch shares the connection from its own thread: Xlib
    // 1.8 locks every connection, older ones those opened after this call.
    if (!XInitThreads())
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    try {
        return std::make_unique<X11WindowSystem>(display);
    } catch (...) {
        XCloseDisplay(display);
        return nullptr;
    }
}

X11WindowSystem::X11WindowSystem(Display* display) : display_(display) {
    keepProcessOnConnectionLoss(display_);
    // The system's one-line text control, where X has none.
    auto edit = std::make_unique<WindowClass>();
    std::snprintf(edit->name, sizeof edit->name, "%s", kEditClassName);
    edit->procedure = &KTextField::windowProcedure;
    edit->takesKeyboard = true;
    classes_.push_back(std::move(edit));
}

X11WindowSystem::~X11WindowSystem() {
    X11ErrorTrap trap(display_, errors_);
    // Windows an owner left behind go with their messages, as on any close.
    for (size_t i = 0; i < windows_.size(); ++i) {
        Record& r = *windows_[i];
        if (!r.dead && !r.destroying && !find(r.parent))
            destroyTree(r, true);
    }
    hold_.release(true);
    if (keyboardWindow_ || capture_) {
        XUngrabKeyboard(display_, CurrentTime);
        XUngrabPointer(display_, CurrentTime);
    }
    for (Cursor c : cursors_)
        if (c)
            XFreeCursor(display_, c);
    windows_.clear();
    XCloseDisplay(display_);
}

// ---- Classes and windows -------------------------------------------------------

bool X11WindowSystem::registerClass(const char* className, KWindowProc procedure) {
    if (!className || !procedure)
        return false;
    for (const auto& c : classes_)
        if (!std::strcmp(c->name, className))
            return true;
    auto c = std::make_unique<WindowClass>();
    std::snprintf(c->name, sizeof c->name, "%s", className);
    c->procedure = procedure;
    classes_.push_back(std::move(c));
    return true;
}

KWindowHandle X11WindowSystem::createWindow(const KCreateStruct& params) {
    X11ErrorTrap trap(display_, errors_);
    const WindowClass* windowClass = nullptr;
    for (const auto& c : classes_)
        if (params.className && !std::strcmp(c->name, params.className))
            windowClass = c.get();
    const Window parent = static_cast<Window>(params.parent);
    if (!windowClass || !parent)
        return 0;
    // Also proves that the host's window exists.
    XWindowAttributes parentAttributes;
    if (!XGetWindowAttributes(display_, parent, &parentAttributes))
        return 0;
    Screen* screen = parentAttributes.screen;
    const int width = windowSide(params.width), height = windowSide(params.height);
    const int x = windowPosition(params.x), y = windowPosition(params.y);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.colormap = DefaultColormapOfScreen(screen);
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kWindowEvents | (windowClass->takesKeyboard ? kKeyboardEvents : 0);
    const unsigned long errorsBefore = errors_.count;
    Window xid = XCreateWindow(display_, parent, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                               DefaultDepthOfScreen(screen), InputOutput, DefaultVisualOfScreen(screen),
                               CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWBitGravity, &attributes);
    XDefineCursor(display_, xid, cursor(windowClass->takesKeyboard ? KCursorShape::textBeam : KCursorShape::arrow));
    XSync(display_, False);
    if (!xid || errors_.count != errorsBefore) {
        if (xid)
            XDestroyWindow(display_, xid);
        return 0;
    }

    auto owned = std::make_unique<Record>();
    Record& record = *owned;
    record.xid = xid;
    record.parent = params.parent;
    record.procedure = windowClass->procedure;
    record.takesKeyboard = windowClass->takesKeyboard;
    record.visual = DefaultVisualOfScreen(screen);
    record.depth = DefaultDepthOfScreen(screen);
    windows_.push_back(std::move(owned));

    KCreateStruct sent = params;
    if (!deliver(record, WM_NCCREATE, 0, reinterpret_cast<KLParam>(&sent)) || record.dead) {
        destroyTree(record, true);
        return 0;
    }
    if (deliver(record, WM_CREATE, 0, reinterpret_cast<KLParam>(&sent)) == -1 || record.dead) {
        destroyTree(record, true);
        return 0;
    }
    deliver(record, WM_SIZE, 0, makeLParam(width, height));
    if (params.style & WS_VISIBLE) {
        XMapWindow(display_, xid);
        record.mapped = true;
        record.invalid = true;
    }
    return record.dead ? 0 : xid;
}

void X11WindowSystem::destroyWindow(KWindowHandle window) {
    X11ErrorTrap trap(display_, errors_);
    Record* record = find(window);
    if (!record || record->destroying)
        return;
    destroyTree(*record, !record->gone);
    XFlush(display_);
    sweep();
}

void X11WindowSystem::destroyTree(Record& record, bool destroyX) {
    record.destroying = true;
    // The focus and the capture leave the windows that go.
    if (focus_ && isSelfOrDescendant(focus_, record.xid)) {
        KWindowHandle old = focus_;
        focus_ = 0;
        giveBackXFocus();
        if (Record* r = find(old))
            deliver(*r, WM_KILLFOCUS, 0, 0);
    }
    if (capture_ && isSelfOrDescendant(capture_, record.xid))
        releaseCapture();
    deliver(record, WM_DESTROY, 0, 0);
    for (size_t i = 0; i < windows_.size(); ++i) {
        Record& child = *windows_[i];
        if (child.parent == record.xid && !child.dead && !child.destroying)
            destroyTree(child, false);  // the server takes the children with the parent
    }
    deliver(record, WM_NCDESTROY, 0, 0);
    if (keyboardWindow_ == record.xid)
        releaseKeyboard();
    if (destroyX && !record.gone)
        XDestroyWindow(display_, record.xid);
    record.picture.reset();
    if (record.gc)
        XFreeGC(display_, record.gc);
    record.gc = nullptr;
    record.gone = true;
    record.dead = true;
}

void X11WindowSystem::sweep() {
    if (depth_ == 0)
        windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [](const auto& r) { return r->dead; }),
                       windows_.end());
}

X11WindowSystem::Record* X11WindowSystem::find(KWindowHandle window) const {
    if (!window)
        return nullptr;
    for (const auto& r : windows_)
        if (r->xid == window && !r->dead)
            return r.get();
    return nullptr;
}

bool X11WindowSystem::isWindow(KWindowHandle window) const { return find(window) != nullptr; }

bool X11WindowSystem::isSelfOrDescendant(KWindowHandle window, KWindowHandle ancestor) const {
    for (int hops = 0; window && hops < 64; ++hops) {
        if (window == ancestor)
            return true;
        const Record* r = find(window);
        window = r ? r->parent : 0;
    }
    return false;
}

KWindowHandle X11WindowSystem::parentOf(KWindowHandle window) const {
    const Record* r = find(window);
    return r ? r->parent : 0;
}

void* X11WindowSystem::moduleHandle() const {
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(&connectWindowSystem), &info) ? info.dli_fbase : nullptr;
}

// ---- Procedures and messages ---------------------------------------------------

void* X11WindowSystem::userData(KWindowHandle window) const {
    const Record* r = find(window);
    return r ? r->userData : nullptr;
}

void X11WindowSystem::setUserData(KWindowHandle window, void* data) {
    if (Record* r = find(window))
        r->userData = data;
}

void* X11WindowSystem::extraData(KWindowHandle window) const {
    const Record* r = find(window);
    return r ? r->extraData : nullptr;
}

void X11WindowSystem::setExtraData(KWindowHandle window, void* data) {
    if (Record* r = find(window))
        r->extraData = data;
}

KWindowProc X11WindowSystem::setWindowProc(KWindowHandle window, KWindowProc procedure) {
    Record* r = find(window);
    if (!r || !procedure)
        return nullptr;
    KWindowProc old = r->procedure;
    r->procedure = procedure;
    return old;
}

KLResult X11WindowSystem::defWindowProc(KWindowHandle window, unsigned message, KWParam, KLParam) {
    switch (message) {
    case WM_NCCREATE: return 1;
    case WM_PAINT:
        if (Record* r = find(window))
            r->invalid = false;
        return 0;
    default: return 0;
    }
}

KLResult X11WindowSystem::sendMessage(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) {
    Record* r = find(window);
    return r ? deliver(*r, message, wParam, lParam) : 0;
}

KLResult X11WindowSystem::deliver(Record& record, unsigned message, KWParam wParam, KLParam lParam) {
    if (!record.procedure)
        return 0;
    DepthCount count(depth_);
    try {
        return record.procedure(*this, record.xid, message, wParam, lParam);
    } catch (...) {
        return -1;
    }
}

// ---- Painting and placement ------------------------------------------------------

void X11WindowSystem::invalidate(KWindowHandle window) {
    if (Record* r = find(window))
        r->invalid = true;
}

void X11WindowSystem::present(KWindowHandle window, const KCanvas& canvas) {
    Record* r = find(window);
    if (!r || r->gone)
        return;
    X11ErrorTrap trap(display_, errors_);
    if (!r->gc)
        r->gc = XCreateGC(display_, r->xid, 0, nullptr);
    if (!r->picture)
        r->picture = std::make_unique<X11Picture>(display_, r->visual, r->depth, errors_);
    r->picture->put(r->xid, r->gc, canvas);
    r->invalid = false;
}

bool X11WindowSystem::usesSharedMemory(KWindowHandle window) const {
    const Record* r = find(window);
    return r && r->picture && r->picture->usesSharedMemory();
}

void X11WindowSystem::setWindowPos(KWindowHandle window, int x, int y, int width, int height) {
    Record* r = find(window);
    if (!r || r->gone)
        return;
    X11ErrorTrap trap(display_, errors_);
    width = windowSide(width);
    height = windowSide(height);
    XMoveResizeWindow(display_, r->xid, windowPosition(x), windowPosition(y), static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    r->invalid = true;
    deliver(*r, WM_SIZE, 0, makeLParam(width, height));
}

void X11WindowSystem::showWindow(KWindowHandle window, bool show) {
    Record* r = find(window);
    if (!r || r->gone || r->mapped == show)
        return;
    X11ErrorTrap trap(display_, errors_);
    if (show)
        XMapWindow(display_, r->xid);
    else
        XUnmapWindow(display_, r->xid);
    r->mapped = show;
    r->invalid = show;
}

// ---- Input -----------------------------------------------------------------------

void X11WindowSystem::setCapture(KWindowHandle window) {
    Record* r = find(window);
    if (!r || r->gone || capture_ == window)
        return;
    if (capture_)
        releaseCapture();
    X11ErrorTrap trap(display_, errors_);
    regrab(*r);
    capture_ = window;
}

void X11WindowSystem::releaseCapture() {
    if (!capture_)
        return;
    const KWindowHandle old = capture_;
    capture_ = 0;
    X11ErrorTrap trap(display_, errors_);
    XUngrabPointer(display_, CurrentTime);
    XFlush(display_);
    if (Record* r = find(old))
        deliver(*r, WM_CAPTURECHANGED, 0, 0);
}

void X11WindowSystem::setFocus(KWindowHandle window) {
    if (window == focus_)
        return;
    Record* target = find(window);
    if (window && !target)
        return;
    X11ErrorTrap trap(display_, errors_);
    const KWindowHandle old = focus_;
    focus_ = window;
    if (target && target->takesKeyboard)
        takeXFocus(*target);
    else
        giveBackXFocus();
    if (Record* r = find(old))
        deliver(*r, WM_KILLFOCUS, window, 0);
    if (focus_ == window)
        if (Record* r = find(window))
            deliver(*r, WM_SETFOCUS, old, 0);
}

void X11WindowSystem::takeXFocus(Record& record) {
    if (!xFocusTaken_) {
        savedFocus_ = None;
        savedRevert_ = RevertToParent;
        XGetInputFocus(display_, &savedFocus_, &savedRevert_);
    }
    XSetInputFocus(display_, record.xid, RevertToParent, CurrentTime);
    xFocusTaken_ = true;
}

void X11WindowSystem::giveBackXFocus() {
    if (!xFocusTaken_)
        return;
    xFocusTaken_ = false;
    // The window that had it may be gone: the error is trapped, and the
    // server then reverts the focus when our box goes.
    XSetInputFocus(display_, savedFocus_, savedRevert_, CurrentTime);
    savedFocus_ = None;
}

Cursor X11WindowSystem::cursor(KCursorShape shape) {
    const int index = static_cast<int>(shape);
    if (!cursors_[index]) {
        static constexpr unsigned kShapes[3] = {XC_left_ptr, XC_hand2, XC_xterm};
        cursors_[index] = XCreateFontCursor(display_, kShapes[index]);
    }
    return cursors_[index];
}

void X11WindowSystem::setCursor(KWindowHandle window, KCursorShape shape) {
    Record* r = find(window);
    if (!r || r->gone)
        return;
    X11ErrorTrap trap(display_, errors_);
    XDefineCursor(display_, r->xid, cursor(shape));
}

bool X11WindowSystem::isKeyDown(unsigned virtualKey) const {
    return virtualKey == VK_SHIFT ? shift_ : virtualKey == VK_CONTROL ? control_ : false;
}

void X11WindowSystem::setKeyModifiers(bool shift, bool control) {
    shift_ = shift;
    control_ = control;
}

void X11WindowSystem::holdKeyboard(KWindowHandle window) {
    Record* r = find(window);
    if (!r || r->gone || keyboardWindow_)
        return;
    if (hold_.take(r->xid))
        keyboardWindow_ = window;
}

void X11WindowSystem::releaseKeyboard() {
    if (!keyboardWindow_)
        return;
    keyboardWindow_ = 0;
    hold_.release(capture_ != 0);
}

void X11WindowSystem::renewKeyboard() {
    if (!keyboardWindow_ || hold_.renew(capture_ != 0) != X11KeyboardHold::Renewal::lost)
        return;
    // The server ended the grabs with the box out of sight: it commits and
    // closes as on a click outside, and the editor repaints again.
    if (focus_ == keyboardWindow_)
        setFocus(0);
    releaseKeyboard();
}

size_t X11WindowSystem::clipboardText(char* text, size_t size) {
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    const Record* requestor = find(focus_);
    for (size_t i = 0; !requestor && i < windows_.size(); ++i)
        if (!windows_[i]->dead && !windows_[i]->gone)
            requestor = windows_[i].get();
    if (!requestor)
        return 0;
    X11ErrorTrap trap(display_, errors_);
    return readX11Clipboard(display_, requestor->xid, lastTime_, text, size, kClipboardWaitMs);
}

// ---- Events ------------------------------------------------------------------------

void X11WindowSystem::processEvents() {
    X11ErrorTrap trap(display_, errors_);
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        handleEvent(event);
    }
    renewKeyboard();
    sweep();
}

void X11WindowSystem::paintInvalidated() {
    X11ErrorTrap trap(display_, errors_);
    for (size_t i = 0; i < windows_.size(); ++i) {
        Record& r = *windows_[i];
        if (r.invalid && r.mapped && !r.dead && !r.gone) {
            r.invalid = false;
            deliver(r, WM_PAINT, 0, 0);
        }
    }
    XFlush(display_);
    sweep();
}

void X11WindowSystem::sync() {
    X11ErrorTrap trap(display_, errors_);
    XSync(display_, False);
    for (const auto& r : windows_)
        if (r->picture)
            r->picture->settled();
}

void X11WindowSystem::handleEvent(XEvent& event) {
    switch (event.type) {
    case Expose:
        if (Record* r = find(event.xexpose.window))
            r->invalid = true;
        break;
    case ButtonPress:
    case ButtonRelease: onButton(event.xbutton); break;
    case MotionNotify: onMotion(event); break;
    case EnterNotify:
    case LeaveNotify: onCrossing(event.xcrossing); break;
    case FocusIn:
    case FocusOut: onFocus(event.xfocus); break;
    case KeyPress:
    case KeyRelease: onKey(event.xkey); break;
    case DestroyNotify: onDestroyed(event.xdestroywindow.window); break;
    case MappingNotify:
        if (event.xmapping.request == MappingKeyboard || event.xmapping.request == MappingModifier)
            XRefreshKeyboardMapping(&event.xmapping);
        break;
    default: break;
    }
}

void X11WindowSystem::onButton(const XButtonEvent& event) {
    lastTime_ = event.time;
    shift_ = (event.state & ShiftMask) != 0;
    control_ = (event.state & ControlMask) != 0;
    Record* r = find(event.window);
    if (!r || r->destroying)
        return;
    const bool press = event.type == ButtonPress;
    // A click outside our windows while the text box holds the keyboard
    // reaches the box through its pointer grab: it takes the focus away, and
    // goes no further.
    if (press && keyboardWindow_ == r->xid) {
        XWindowAttributes a;
        const bool inside = XGetWindowAttributes(display_, r->xid, &a) && event.x >= 0 && event.y >= 0 &&
                            event.x < a.width && event.y < a.height;
        if (!inside) {
            setFocus(0);
            return;
        }
    }
    unsigned message = 0, bit = 0;
    switch (event.button) {
    case Button1:
        message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        bit = MK_LBUTTON;
        break;
    case Button2:
        message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        bit = MK_MBUTTON;
        break;
    case Button3:
        message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        bit = MK_RBUTTON;
        break;
    case Button4:
    case Button5:
        if (press) {
            const int delta = event.button == Button4 ? 120 : -120;
            deliver(*r, WM_MOUSEWHEEL, makeWParam(buttonKeys(event.state), static_cast<unsigned>(delta)),
                    makeLParam(event.x_root, event.y_root));
        }
        return;
    default: return;
    }
    unsigned keys = buttonKeys(event.state);
    keys = press ? keys | bit : keys & ~bit;
    deliver(*r, message, keys, makeLParam(event.x, event.y));
    // A grab never outlives the buttons that made it: a capture its window
    // did not release is lost with the last button.
    if (!press && capture_ && !(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
        releaseCapture();
}

void X11WindowSystem::onMotion(XEvent& event) {
    // Only the latest of a run of moves over the same window matters.
    XEvent next;
    while (XEventsQueued(display_, QueuedAlready) > 0) {
        XPeekEvent(display_, &next);
        if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window)
            break;
        XNextEvent(display_, &event);
    }
    const XMotionEvent& m = event.xmotion;
    lastTime_ = m.time;
    shift_ = (m.state & ShiftMask) != 0;
    control_ = (m.state & ControlMask) != 0;
    // The buttons went up where we did not see it (a grab that could not be
    // taken): the capture went with them.
    if (capture_ && !(buttonKeys(m.state) & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
        releaseCapture();
    if (Record* r = find(m.window); r && !r->destroying)
        deliver(*r, WM_MOUSEMOVE, buttonKeys(m.state), makeLParam(m.x, m.y));
}

void X11WindowSystem::onCrossing(const XCrossingEvent& event) {
    if (!capture_ || event.window != capture_ || event.mode == NotifyGrab || event.serial < grabSerial_)
        return;
    // The pointer left or entered while captured, or the server ended the
    // grab (its window became unviewable: hidden or moved away by the host).
    // Asking for the grab again tells which: it stays ours only in a drag.
    Record* r = find(capture_);
    const bool held = r && !r->gone && event.mode == NotifyNormal && regrab(*r);
    if (!held) {
        const KWindowHandle old = capture_;
        capture_ = 0;
        XUngrabPointer(display_, CurrentTime);
        if (Record* lost = find(old))
            deliver(*lost, WM_CAPTURECHANGED, 0, 0);
    }
}

bool X11WindowSystem::regrab(Record& record) {
    grabSerial_ = NextRequest(display_);
    return XGrabPointer(display_, record.xid, False, kCaptureEvents, GrabModeAsync, GrabModeAsync, None, None,
                        CurrentTime) == GrabSuccess;
}

void X11WindowSystem::onFocus(const XFocusChangeEvent& event) {
    // Keyboard grabs (ours among them) move the focus only for their time.
    if (event.type != FocusOut || event.mode == NotifyGrab || event.mode == NotifyUngrab ||
        event.detail == NotifyInferior)
        return;
    Record* r = find(event.window);
    if (!r || r->destroying)
        return;
    if (r->takesKeyboard) {
        // Another window took the keyboard focus from the box. While the box
        // holds the keyboard grab its keys still come here, and only a click
        // outside ends it: hosts that take the focus back at once would
        // otherwise close it as it opens.
        if (focus_ != r->xid || !xFocusTaken_ || keyboardWindow_)
            return;
        xFocusTaken_ = false;
        savedFocus_ = None;
        setFocus(0);
    } else if (capture_ == r->xid && !focusInTopLevelOf(display_, r->xid)) {
        // The focus left the host's top-level window in the middle of a
        // drag; moving inside it (a toolkit handing it to a child window of
        // its own on each press) leaves the drag alone.
        deliver(*r, WM_KILLFOCUS, 0, 0);
    }
}

void X11WindowSystem::onKey(XKeyEvent& event) {
    lastTime_ = event.time;
    shift_ = (event.state & ShiftMask) != 0;
    control_ = (event.state & ControlMask) != 0;
    Record* target = find(focus_);
    if (!target || target->destroying)
        return;
    const X11Key key = translateX11Key(event);
    if (event.type == KeyRelease) {
        deliver(*target, WM_KEYUP, key.virtualKey, kKeyUpFlags);
        return;
    }
    const KWindowHandle window = target->xid;
    deliver(*target, WM_KEYDOWN, key.virtualKey, 1);
    // What TranslateMessage adds, unless the key closed the box.
    if (key.character && focus_ == window)
        if (Record* r = find(window); r && !r->destroying)
            deliver(*r, WM_CHAR, key.character, 1);
}

void X11WindowSystem::onDestroyed(Window window) {
    // The server destroyed one of our windows along with the host's window:
    // the window goes as if we had destroyed it, without another request.
    Record* r = find(window);
    if (!r)
        return;
    r->gone = true;
    if (!r->destroying)
        destroyTree(*r, false);
}

}  // namespace kx
