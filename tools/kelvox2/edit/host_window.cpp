#include "edit/host_window.h"

#include <X11/Xutil.h>

#include <poll.h>

#include <chrono>

namespace kelvox2 {

namespace {

// The position of the lowest set bit of a channel mask and the channel's
// largest value, to read a pixel whatever the visual's layout.
struct Channel {
    int shift = 0;
    unsigned long max = 0;
    explicit Channel(unsigned long mask) {
        if (!mask)
            return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        max = mask;
    }
    uint32_t byte(unsigned long pixel) const {
        return max ? static_cast<uint32_t>(((pixel >> shift) & max) * 255 / max) : 0;
    }
};

}  // namespace

HostWindow::~HostWindow() { close(); }

bool HostWindow::open(int width, int height, const std::string& title, std::string& error) {
    close();
    const char* name = XDisplayName(nullptr);
    display_ = XOpenDisplay(nullptr);
    if (!display_) {
        error = std::string("cannot open the X display '") + (name && *name ? name : "") +
                "' (is DISPLAY set to a running X server?)";
        return false;
    }
    width_ = width;
    height_ = height;
    const int screen = DefaultScreen(display_);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display_, screen);
    attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | StructureNotifyMask | FocusChangeMask;
    window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWEventMask, &attributes);
    XStoreName(display_, window_, title.c_str());
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    setFixedSize(width, height);
    XMapWindow(display_, window_);

    // Wait for the map, so the editor opens into a viewable parent.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        XEvent event;
        if (XCheckTypedWindowEvent(display_, window_, MapNotify, &event))
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            error = "the window was not shown within 5 seconds";
            close();
            return false;
        }
        XFlush(display_);
        pollfd p{ConnectionNumber(display_), POLLIN, 0};
        ::poll(&p, 1, 50);
    }
    // A DAW's window has the keyboard focus while the user works in it.
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
    return true;
}

void HostWindow::close() {
    if (!display_)
        return;
    if (window_)
        XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
    display_ = nullptr;
    window_ = 0;
}

void HostWindow::setFixedSize(int width, int height) {
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return;
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display_, window_, hints);
    XFree(hints);
}

void HostWindow::resize(int width, int height) {
    if (!display_ || (width == width_ && height == height_))
        return;
    width_ = width;
    height_ = height;
    setFixedSize(width, height);
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
            if (event.xclient.format == 32 && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
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

bool HostWindow::capture(std::vector<uint32_t>& pixels, std::string& error) const {
    if (!display_) {
        error = "no window";
        return false;
    }
    XSync(display_, False);
    XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                              AllPlanes, ZPixmap);
    if (!image) {
        error = "the X server gave no picture of the window (is it wholly on the screen?)";
        return false;
    }
    const Channel red(image->red_mask), green(image->green_mask), blue(image->blue_mask);
    pixels.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            pixels[static_cast<size_t>(y) * width_ + x] =
                0xFF000000u | red.byte(p) << 16 | green.byte(p) << 8 | blue.byte(p);
        }
    XDestroyImage(image);
    return true;
}

}  // namespace kelvox2
