// Reading the clipboard (the CLIPBOARD selection) for a paste. The text is
// asked of the program that holds it and arrives as an event; the wait for
// it is short and bounded, so that a program that never answers costs the
// host a moment, not a hang. Other events that arrive meanwhile stay queued
// in order.
#pragma once

#include <X11/Xlib.h>

#include <cstddef>

namespace kx {

// The clipboard's text as single-byte (Windows-1252) text, cut to size - 1
// and terminated; the length (0 when there is none or no answer came in
// time). requestor: a window of this connection.
size_t readX11Clipboard(Display* display, Window requestor, Time time, char* text, size_t size, int waitMs);

}  // namespace kx
