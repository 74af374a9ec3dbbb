#include "editor/linux/x11_keyboard_hold.h"

#include <system_error>

namespace kx {

namespace {

int grabKeyboard(Display* display, Window window) {
    return XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
}

// Our own windows hear their events as usual; a press anywhere else comes
// to the box.
int grabPointer(Display* display, Window window) {
    return XGrabPointer(display, window, True, ButtonPressMask | ButtonReleaseMask, GrabModeAsync, GrabModeAsync, None,
                        None, CurrentTime);
}

}  // namespace

bool X11KeyboardHold::take(Window window) {
    if (held())
        return false;
    X11ErrorTrap trap(display_, errors_);
    if (grabKeyboard(display_, window) != GrabSuccess)
        return false;
    if (grabPointer(display_, window) != GrabSuccess) {
        XUngrabKeyboard(display_, CurrentTime);
        return false;
    }
    stop_ = false;
    dropped_ = false;
    lastServed_ = std::chrono::steady_clock::now();
    try {
        watch_ = std::thread([this] { watch(); });
    } catch (const std::system_error&) {
        // Unwatched, a grab could outlive the host's attention.
        XUngrabKeyboard(display_, CurrentTime);
        XUngrabPointer(display_, CurrentTime);
        XFlush(display_);
        return false;
    }
    window_ = window;
    return true;
}

void X11KeyboardHold::release(bool keepPointer) {
    if (!held())
        return;
    window_ = None;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (watch_.joinable())
        watch_.join();
    errors_.count += watchErrors_.count;
    watchErrors_ = X11ErrorRecord{};
    X11ErrorTrap trap(display_, errors_);
    XUngrabKeyboard(display_, CurrentTime);
    if (!keepPointer)
        XUngrabPointer(display_, CurrentTime);
    XFlush(display_);
}

X11KeyboardHold::Renewal X11KeyboardHold::renew(bool capturing) {
    if (!held())
        return Renewal::lost;
    served();
    X11ErrorTrap trap(display_, errors_);
    const int keyboard = grabKeyboard(display_, window_);
    if (keyboard == GrabNotViewable)
        return Renewal::lost;
    if (keyboard != GrabSuccess)
        return Renewal::waiting;
    if (!capturing && grabPointer(display_, window_) != GrabSuccess) {
        XUngrabKeyboard(display_, CurrentTime);
        return Renewal::waiting;
    }
    return Renewal::held;
}

void X11KeyboardHold::served() {
    bool wasDropped = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lastServed_ = std::chrono::steady_clock::now();
        wasDropped = dropped_;
        dropped_ = false;
    }
    if (wasDropped)
        wake_.notify_one();
}

void X11KeyboardHold::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        if (dropped_) {
            wake_.wait(lock);
            continue;
        }
        const auto due = lastServed_ + kUnserved;
        if (std::chrono::steady_clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        // Held under mutex_, so that an idle arriving now takes the grabs
        // again only after these requests.
        X11ErrorTrap trap(display_, watchErrors_);
        XUngrabKeyboard(display_, CurrentTime);
        XUngrabPointer(display_, CurrentTime);
        XFlush(display_);
        dropped_ = true;
    }
}

}  // namespace kx
