// A real X server for the editor tests, and the host's side of it: an Xvfb
// of the test's own (other programs may run servers too, so it picks a free
// display itself), a connection playing the host with its top-level window,
// pointer and keys injected through XTest, and pixels read back.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kx::testing {

class XvfbServer {
public:
    // Starts the server (its screen of the given depth) and points DISPLAY
    // at it; running() tells whether it came up.
    explicit XvfbServer(int depth = 24);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return pid_ > 0 && !name_.empty(); }
    const std::string& name() const { return name_; }  // ":N"

private:
    int pid_ = -1;
    std::string name_;
};

// A window manager on the test's server, as users run one (openbox): it
// frames, places and focuses the top-level windows mapped after it came up.
class WindowManager {
public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    bool running() const { return running_; }

private:
    int pid_ = -1;
    bool running_ = false;
    Display* display_ = nullptr;
};

// The host: its own connection and a mapped top-level window, at the
// screen's origin unless placed elsewhere.
class XHost {
public:
    XHost(int width, int height, int x = 0, int y = 0);
    ~XHost();
    XHost(const XHost&) = delete;
    XHost& operator=(const XHost&) = delete;

    bool ok() const { return display_ && window_; }
    Display* display() const { return display_; }
    Window window() const { return window_; }
    // The window id as effEditOpen takes it.
    void* parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window_)); }
    // The first child window of the host's window (the editor's), or 0.
    Window child() const;
    void destroyWindow();

    // Pointer and keys, as a user gives them: the pointer at window
    // pixels (x, y) of the host's window, buttons 1 (left) and 3 (right).
    void moveTo(int x, int y);
    void press(unsigned button);
    void release(unsigned button);
    void click(int x, int y, unsigned button = 1);
    // A key by its keysym, with Shift and Control as asked.
    void key(unsigned long keysym, bool shift = false, bool control = false);
    void type(const char* text);
    void sync();

    // The cursor the server shows now, as its ARGB image; and the image of
    // a standard cursor (XC_left_ptr, XC_hand2, ...) for comparison.
    std::vector<unsigned long> cursorImage() const;
    std::vector<unsigned long> fontCursorImage(unsigned shape);

    // The RGB words (0x00RRGGBB) of a window's pixels, or empty.
    std::vector<uint32_t> pixels(Window window, int width, int height) const;

private:
    Display* display_ = nullptr;
    Window window_ = 0;
};

// Another program holding the clipboard: it owns the CLIPBOARD selection
// on a connection of its own and answers requests for its text (as UTF-8 or
// Latin-1) from a thread of its own, until destroyed.
class ClipboardOwner {
public:
    explicit ClipboardOwner(std::string text);
    ~ClipboardOwner();
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;
    bool owns() const { return owns_; }

private:
    void serve();
    std::string text_;
    Display* display_ = nullptr;
    Window window_ = 0;
    bool owns_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Polls until the condition holds or the time runs out, calling step (the
// host's idle) between checks; answers the condition.
bool waitFor(const std::function<bool()>& condition, const std::function<void()>& step, int timeoutMs = 3000);

}  // namespace kx::testing
