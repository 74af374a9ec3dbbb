#include "x11-harness/x_connection.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace kx::x11 {

namespace {

std::atomic<int> gErrors{0};
std::mutex gLastErrorLock;
std::string gLastError;

int recordError(Display* display, XErrorEvent* event) {
    char text[128] = {};
    XGetErrorText(display, event->error_code, text, sizeof text - 1);
    char line[256];
    std::snprintf(line, sizeof line, "%s (request %d, resource 0x%lx)", text, event->request_code, event->resourceid);
    gErrors.fetch_add(1);
    std::lock_guard<std::mutex> lock(gLastErrorLock);
    gLastError = line;
    return 0;
}

}  // namespace

bool XConnection::open(const std::string& name, std::string* error) {
    close();
    display_ = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (display_)
        return true;
    if (name.empty()) {
        const char* current = XDisplayName(nullptr);
        *error = std::string("cannot open the X display '") + (current && *current ? current : "") +
                 "' (is DISPLAY set to a running X server?)";
    } else {
        *error = "cannot connect to the X display " + name;
    }
    return false;
}

void XConnection::close() {
    if (display_)
        XCloseDisplay(display_);
    display_ = nullptr;
}

void XConnection::sync() const {
    if (display_)
        XSync(display_, False);
}

std::vector<Window> childWindows(Display* display, Window window) {
    XSync(display, False);
    Window root = 0, parent = 0, *list = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (window && XQueryTree(display, window, &root, &parent, &list, &count) && list)
        result.assign(list, list + count);
    if (list)
        XFree(list);
    return result;
}

Window firstChild(Display* display, Window window) {
    const std::vector<Window> children = childWindows(display, window);
    return children.empty() ? 0 : children.front();
}

bool windowSize(Display* display, Window window, int* width, int* height) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a))
        return false;
    *width = a.width;
    *height = a.height;
    return true;
}

bool screenPosition(Display* display, Window window, int* x, int* y) {
    Window child = 0;
    return XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, x, y, &child) != 0;
}

void recordXErrors() { XSetErrorHandler(recordError); }

int xErrorCount() { return gErrors.load(); }

std::string lastXError() {
    std::lock_guard<std::mutex> lock(gLastErrorLock);
    return gLastError;
}

}  // namespace kx::x11
