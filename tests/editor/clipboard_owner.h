// Another program holding the clipboard: it owns the CLIPBOARD selection
// on a connection of its own and answers requests for its text (as UTF-8 or
// Latin-1) from a thread of its own, until destroyed.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <string>
#include <thread>

namespace kx::testing {

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

}  // namespace kx::testing
