#include "x_session.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace kx::testing {

namespace {

long long nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

XvfbServer::XvfbServer(int depth) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    pid_t pid = fork();
    if (pid == 0) {
        // The server goes when the test program does, however it ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        fcntl(fds[1], F_SETFD, 0);
        int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, 1);
            dup2(quiet, 2);
        }
        std::string fd = std::to_string(fds[1]);
        std::string screen = "1280x1024x" + std::to_string(depth);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return;
    }
    pid_ = pid;
    // The server writes its display number once it accepts connections.
    std::string number;
    const long long deadline = nowMs() + 20000;
    char c;
    while (nowMs() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0)
            continue;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (!number.empty()) {
        name_ = ":" + number;
        setenv("DISPLAY", name_.c_str(), 1);
    }
}

XvfbServer::~XvfbServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

WindowManager::WindowManager() {
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, 1);
            dup2(quiet, 2);
        }
        execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0)
        return;
    pid_ = pid;
    // It is up once it frames a window: a map requested while it is still
    // starting may go unanswered, so each probe gets a short while. The
    // connection stays open: another one would reuse the probes' ids, which
    // the window manager may not yet have forgotten.
    display_ = XOpenDisplay(nullptr);
    Display* display = display_;
    if (!display)
        return;
    const long long deadline = nowMs() + 10000;
    while (!running_ && nowMs() < deadline) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;  // it gave up
            break;
        }
        const Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        XSelectInput(display, probe, StructureNotifyMask);
        XMapWindow(display, probe);
        XFlush(display);
        XEvent event;
        for (const long long wait = nowMs() + 300; !running_ && nowMs() < wait;) {
            if (XCheckTypedWindowEvent(display, probe, ReparentNotify, &event))
                running_ = true;
            else
                usleep(5000);
        }
        XDestroyWindow(display, probe);
        XSync(display, False);
    }
}

WindowManager::~WindowManager() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (display_)
        XCloseDisplay(display_);
}

XHost::XHost(int width, int height, int x, int y) {
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return;
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, BlackPixel(display_, screen),
                                  BlackPixel(display_, screen));
    // Placed where asked, also by a window manager.
    XSizeHints hints{};
    hints.flags = USPosition;
    hints.x = x;
    hints.y = y;
    XSetWMNormalHints(display_, window_, &hints);
    XSelectInput(display_, window_, StructureNotifyMask);
    XMapWindow(display_, window_);
    XEvent event;
    do
        XNextEvent(display_, &event);
    while (event.type != MapNotify || event.xmap.window != window_);
}

XHost::~XHost() {
    if (display_)
        XCloseDisplay(display_);
}

Window XHost::child() const {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window first = 0;
    if (window_ && XQueryTree(display_, window_, &root, &parent, &children, &count) && count > 0)
        first = children[0];
    if (children)
        XFree(children);
    return first;
}

void XHost::destroyWindow() {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
    window_ = 0;
}

void XHost::moveTo(int x, int y) {
    int rootX = x, rootY = y;
    Window child = 0;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
    XFlush(display_);
}

void XHost::press(unsigned button) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XFlush(display_);
}

void XHost::release(unsigned button) {
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    XFlush(display_);
}

void XHost::click(int x, int y, unsigned button) {
    moveTo(x, y);
    press(button);
    release(button);
}

void XHost::key(unsigned long keysym, bool shift, bool control) {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    const KeyCode shiftCode = XKeysymToKeycode(display_, XK_Shift_L);
    const KeyCode controlCode = XKeysymToKeycode(display_, XK_Control_L);
    if (shift)
        XTestFakeKeyEvent(display_, shiftCode, True, CurrentTime);
    if (control)
        XTestFakeKeyEvent(display_, controlCode, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    if (control)
        XTestFakeKeyEvent(display_, controlCode, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(display_, shiftCode, False, CurrentTime);
    XFlush(display_);
}

void XHost::type(const char* text) {
    for (const char* p = text; *p; ++p) {
        const KeySym keysym = static_cast<unsigned char>(*p);
        const KeyCode code = XKeysymToKeycode(display_, keysym);
        // A character on the shifted level of its key needs Shift.
        const bool shift =
            XkbKeycodeToKeysym(display_, code, 0, 0) != keysym && XkbKeycodeToKeysym(display_, code, 0, 1) == keysym;
        key(keysym, shift);
    }
}

void XHost::sync() { XSync(display_, False); }

std::vector<unsigned long> XHost::cursorImage() const {
    std::vector<unsigned long> out;
    XFixesCursorImage* image = XFixesGetCursorImage(display_);
    if (!image)
        return out;
    out.assign(image->pixels, image->pixels + size_t(image->width) * size_t(image->height));
    out.push_back(image->width);
    out.push_back(image->height);
    XFree(image);
    return out;
}

std::vector<unsigned long> XHost::fontCursorImage(unsigned shape) {
    // A small window of its own, off the editor, with that cursor.
    Window probe = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 1200, 1000, 20, 20, 0, 0, 0);
    Cursor cursor = XCreateFontCursor(display_, shape);
    XDefineCursor(display_, probe, cursor);
    XMapWindow(display_, probe);
    XSync(display_, False);
    XTestFakeMotionEvent(display_, -1, 1210, 1010, CurrentTime);
    XSync(display_, False);
    std::vector<unsigned long> image = cursorImage();
    XDestroyWindow(display_, probe);
    XFreeCursor(display_, cursor);
    XSync(display_, False);
    return image;
}

std::vector<uint32_t> XHost::pixels(Window window, int width, int height) const {
    std::vector<uint32_t> out;
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image)
        return out;
    out.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return out;
}

ClipboardOwner::ClipboardOwner(std::string text) : text_(std::move(text)) {
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
    XSetSelectionOwner(display_, clipboard, window_, CurrentTime);
    owns_ = XGetSelectionOwner(display_, clipboard) == window_;
    XSync(display_, False);
    thread_ = std::thread([this] { serve(); });
}

ClipboardOwner::~ClipboardOwner() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (display_)
        XCloseDisplay(display_);
}

void ClipboardOwner::serve() {
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    while (!stop_) {
        if (XPending(display_) == 0) {
            pollfd p{ConnectionNumber(display_), POLLIN, 0};
            poll(&p, 1, 10);
            continue;
        }
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XEvent answer{};
        answer.xselection.type = SelectionNotify;
        answer.xselection.requestor = request.requestor;
        answer.xselection.selection = request.selection;
        answer.xselection.target = request.target;
        answer.xselection.time = request.time;
        answer.xselection.property = None;
        if (request.target == utf8 || request.target == XA_STRING) {
            XChangeProperty(display_, request.requestor, request.property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text_.data()), static_cast<int>(text_.size()));
            answer.xselection.property = request.property;
        }
        XSendEvent(display_, request.requestor, False, 0, &answer);
        XFlush(display_);
    }
}

bool waitFor(const std::function<bool()>& condition, const std::function<void()>& step, int timeoutMs) {
    const long long deadline = nowMs() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (nowMs() > deadline)
            return false;
        step();
        usleep(1000);
    }
}

}  // namespace kx::testing
