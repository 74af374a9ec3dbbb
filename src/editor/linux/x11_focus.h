// Where the X keyboard focus is, as a drag needs to know it. Focus changes
// inside the host's top-level window are the host's own business (the window
// manager focusing the window a press went to, a toolkit handing the focus
// to a child window of its own, the focus reaching an inferior); only the
// focus leaving that top-level window (another window or program taking it)
// means that the user turned away.
//
// Threads: the thread that uses the connection.
#pragma once

#include <X11/Xlib.h>

namespace kx {

// True when the keyboard focus is now on a window under the same top-level
// window as window (itself, an ancestor, or any other). False for no focus,
// a focus that follows the pointer, or windows that are gone.
bool focusInTopLevelOf(Display* display, Window window);

}  // namespace kx
