// HostWindow: the top-level X11 window a DAW would give a plug-in's editor as
// its parent. Fixed to the editor's size, closed by the window manager's
// close button (WM_DELETE_WINDOW); keys that reach it, because the editor
// did not take them, are reported for forwarding to effEditKeyDown/Up, and
// so are wheel notches that reach it.
//
// It owns its own Display connection, apart from the plug-in's; one thread.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kelvox2 {

struct HostWindowEvent {
    enum class Kind { Empty, Close, KeyDown, KeyUp, Wheel };
    Kind kind = Kind::Empty;
    XKeyEvent key{};
    bool wheelUp = false;
};

class HostWindow {
public:
    HostWindow() = default;
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // Opens the connection (DISPLAY), creates the window at the top-left of
    // the screen and maps it; returns once it is viewable. False with a reason.
    bool open(int width, int height, const std::string& title, std::string& error);
    void close();

    Display* display() const { return display_; }
    Window window() const { return window_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The connection's descriptor, for waiting on events.
    int fd() const { return display_ ? ConnectionNumber(display_) : -1; }

    // A new fixed size, as for a size-window request or a new skin.
    void resize(int width, int height);
    // The next event of the window's own, or Kind::Empty once none is queued.
    HostWindowEvent nextEvent();
    // The window's pixels as 0xFFRRGGBB, rows top to bottom, children's
    // pictures included. False with a reason when the server gives none.
    bool capture(std::vector<uint32_t>& pixels, std::string& error) const;

private:
    void setFixedSize(int width, int height);

    Display* display_ = nullptr;
    Window window_ = 0;
    Atom deleteWindow_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace kelvox2
