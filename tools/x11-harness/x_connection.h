// A host's connection to the X server, the questions a host asks about
// windows on it, and the record of X errors a host keeps instead of letting
// Xlib end the process.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace kx::x11 {

class XConnection {
public:
    XConnection() = default;
    ~XConnection() { close(); }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    // Connects to `name` (":N"), or to DISPLAY when it is empty. False with
    // a reason.
    bool open(const std::string& name, std::string* error);
    void close();
    Display* display() const { return display_; }
    void sync() const;

private:
    Display* display_ = nullptr;
};

// The window's children, bottom to top (after a round trip).
std::vector<Window> childWindows(Display* display, Window window);
// The first child of the window (an editor's in its host's window), or 0.
Window firstChild(Display* display, Window window);
bool windowSize(Display* display, Window window, int* width, int* height);
// The screen position of the window's top-left corner.
bool screenPosition(Display* display, Window window, int* x, int* y);

// From now on X errors of every connection of the process are counted and
// the last one kept, rather than ending the process.
void recordXErrors();
int xErrorCount();
std::string lastXError();

}  // namespace kx::x11
