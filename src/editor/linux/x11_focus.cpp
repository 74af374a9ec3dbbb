#include "editor/linux/x11_focus.h"

namespace kx {

namespace {

// Deeper trees than this are no window manager's or toolkit's.
constexpr int kMaxDepth = 64;

// The child of the root that holds the window: the top-level window, or the
// frame a window manager put it in. None when the window is gone.
Window topLevelOf(Display* display, Window window) {
    for (int depth = 0; window != None && depth < kMaxDepth; ++depth) {
        Window root = None, parent = None, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return None;
        if (children)
            XFree(children);
        if (parent == root || parent == None)
            return window;
        window = parent;
    }
    return None;
}

}  // namespace

bool focusInTopLevelOf(Display* display, Window window) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || focus == PointerRoot)
        return false;
    const Window ours = topLevelOf(display, window);
    return ours != None && topLevelOf(display, focus) == ours;
}

}  // namespace kx
