#include "x11-harness/host_window.h"

#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>

#include "x11-harness/pixels.h"

namespace kx::x11 {

HostWindow::HostWindow(int width, int height, int x, int y) {
    HostWindowOptions options;
    options.x = x;
    options.y = y;
    options.placed = true;
    std::string error;
    open(width, height, options, &error);
}

bool HostWindow::open(int width, int height, const HostWindowOptions& options, std::string* error) {
    close();
    if (!own_.open("", error))
        return false;
    return openOn(own_.display(), width, height, options, error);
}

bool HostWindow::openOn(Display* display, int width, int height, const HostWindowOptions& options, std::string* error) {
    if (display != own_.display())
        close();
    display_ = display;
    width_ = width;
    height_ = height;
    fixedSize_ = options.fixedSize;
    const int screen = DefaultScreen(display_);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display_, screen);
    attributes.event_mask = StructureNotifyMask;
    if (options.takesInput)
        attributes.event_mask |= KeyPressMask | KeyReleaseMask | ButtonPressMask | FocusChangeMask;
    window_ = XCreateWindow(display_, RootWindow(display_, screen), options.x, options.y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWEventMask, &attributes);
    if (!options.title.empty())
        XStoreName(display_, window_, options.title.c_str());
    if (options.closable) {
        deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    }
    setSizeHints(options);
    XMapWindow(display_, window_);

    // Wait for the map, so the editor opens into a viewable parent.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        XEvent event;
        if (XCheckTypedWindowEvent(display_, window_, MapNotify, &event))
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            *error = "the window was not shown within 5 seconds";
            close();
            return false;
        }
        XFlush(display_);
        pollfd p{ConnectionNumber(display_), POLLIN, 0};
        ::poll(&p, 1, 50);
    }
    if (options.takesInput)
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
    input_ = XTestInput(display_, window_);
    return true;
}

void HostWindow::close() {
    if (display_ && window_)
        XDestroyWindow(display_, window_);
    if (display_ && display_ != own_.display())
        XSync(display_, False);
    own_.close();
    display_ = nullptr;
    window_ = 0;
    input_ = XTestInput();
}

void HostWindow::destroyWindow() {
    if (!display_ || !window_)
        return;
    XDestroyWindow(display_, window_);
    XSync(display_, False);
    window_ = 0;
}

void HostWindow::sync() const {
    if (display_)
        XSync(display_, False);
}

void HostWindow::setSizeHints(const HostWindowOptions& options) {
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return;
    if (options.placed) {
        hints->flags |= USPosition;
        hints->x = options.x;
        hints->y = options.y;
    }
    if (fixedSize_) {
        hints->flags |= PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width_;
        hints->min_height = hints->max_height = height_;
    }
    if (hints->flags)
        XSetWMNormalHints(display_, window_, hints);
    XFree(hints);
}

void HostWindow::resize(int width, int height) {
    if (!display_ || (width == width_ && height == height_))
        return;
    width_ = width;
    height_ = height;
    if (fixedSize_) {
        HostWindowOptions fixed;
        fixed.fixedSize = true;
        setSizeHints(fixed);
    }
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
}

HostWindowEvent HostWindow::nextEvent() {
    HostWindowEvent result;
    if (!display_)
        return result;
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
        case ClientMessage:
            if (deleteWindow_ && event.xclient.format == 32 &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
                result.kind = HostWindowEvent::Kind::Close;
                return result;
            }
            break;
        case KeyPress:
        case KeyRelease:
            result.kind = event.type == KeyPress ? HostWindowEvent::Kind::KeyDown : HostWindowEvent::Kind::KeyUp;
            result.key = event.xkey;
            return result;
        case ButtonPress:
            if (event.xbutton.button == Button4 || event.xbutton.button == Button5) {
                result.kind = HostWindowEvent::Kind::Wheel;
                result.wheelUp = event.xbutton.button == Button4;
                return result;
            }
            break;
        default: break;
        }
    }
    return result;
}

bool HostWindow::capture(std::vector<uint32_t>& pixels, std::string* error) const {
    if (!display_) {
        *error = "no window";
        return false;
    }
    XSync(display_, False);
    if (!readPixels(display_, window_, width_, height_, pixels)) {
        *error = "the X server gave no picture of the window (is it wholly on the screen?)";
        return false;
    }
    return true;
}

std::vector<uint32_t> HostWindow::pixels(Window window, int width, int height) const {
    std::vector<uint32_t> out;
    if (!readPixels(display_, window, width, height, out))
        out.clear();
    return out;
}

}  // namespace kx::x11
