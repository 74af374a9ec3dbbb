// HostWindow: the top-level window a host gives a plug-in's editor as its
// parent, on a connection of the host's own (apart from the plug-in's), with
// input given through XTest at its pixels and its pixels read back. One
// thread.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "x11-harness/x_connection.h"
#include "x11-harness/xtest_input.h"

namespace kx::x11 {

struct HostWindowOptions {
    int x = 0, y = 0;
    // Placed at (x, y) also under a window manager, which otherwise places
    // it where it likes.
    bool placed = false;
    std::string title;
    // The window manager offers no resizing (a DAW's plug-in window).
    bool fixedSize = false;
    // The window manager's close button is reported (Kind::Close) rather
    // than ending the connection.
    bool closable = false;
    // Keys and wheel notches that reach it, because the editor did not take
    // them, are reported; it takes the keyboard focus once shown, as a DAW's
    // window has it while the user works in it.
    bool takesInput = false;
};

struct HostWindowEvent {
    enum class Kind { Empty, Close, KeyDown, KeyUp, Wheel };
    Kind kind = Kind::Empty;
    XKeyEvent key{};
    bool wheelUp = false;
};

class HostWindow {
public:
    HostWindow() = default;
    // Opened on DISPLAY at (x, y), placed there; ok() tells whether it is.
    HostWindow(int width, int height, int x = 0, int y = 0);
    ~HostWindow() { close(); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // Opens a connection of its own (DISPLAY), creates the window and maps
    // it; returns once it is viewable. False with a reason.
    bool open(int width, int height, const HostWindowOptions& options, std::string* error);
    // The same on a connection the caller keeps open.
    bool openOn(Display* display, int width, int height, const HostWindowOptions& options, std::string* error);
    // Destroys the window, and closes the connection when it is its own.
    void close();
    // Destroys the window and keeps the connection, as a host closing its
    // window before telling the editor.
    void destroyWindow();

    bool ok() const { return display_ && window_; }
    Display* display() const { return display_; }
    Window window() const { return window_; }
    // The window id as effEditOpen takes it.
    void* parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window_)); }
    // The first child window (the editor's), or 0.
    Window child() const { return firstChild(display_, window_); }
    int width() const { return width_; }
    int height() const { return height_; }
    // The connection's descriptor, for waiting on events.
    int fd() const { return display_ ? ConnectionNumber(display_) : -1; }
    void sync() const;

    // A new size, as for a size-window request or a new skin.
    void resize(int width, int height);
    // The next event of the window's own, or Kind::Empty once none is queued.
    HostWindowEvent nextEvent();
    // The window's pixels as 0xAARRGGBB, children's pictures included. False
    // with a reason when the server gives none.
    bool capture(std::vector<uint32_t>& pixels, std::string* error) const;
    // Any window's pixels, as the host's client reads them; empty if none.
    std::vector<uint32_t> pixels(Window window, int width, int height) const;

    // XTest input at the window's pixels.
    XTestInput& input() { return input_; }
    void moveTo(int x, int y) { input_.moveTo(x, y); }
    void press(unsigned button) { input_.press(button); }
    void release(unsigned button) { input_.release(button); }
    void click(int x, int y, unsigned button = 1) { input_.click(x, y, button); }
    // A key by its keysym, with Shift and Control as asked.
    void key(unsigned long keysym, bool shift = false, bool control = false) {
        input_.stroke(keysym, (shift ? kShift : 0u) | (control ? kControl : 0u));
    }
    void type(const char* text) { input_.type(text); }

private:
    void setSizeHints(const HostWindowOptions& options);

    XConnection own_;
    Display* display_ = nullptr;
    Window window_ = 0;
    Atom deleteWindow_ = 0;
    bool fixedSize_ = false;
    int width_ = 0;
    int height_ = 0;
    XTestInput input_;
};

}  // namespace kx::x11
