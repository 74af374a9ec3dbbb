// Pixels read back from the X server: a window's, children's pictures
// included, and the cursor it shows.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace kx::x11 {

// The window's top-left width x height pixels as 0xAARRGGBB (alpha 0xFF),
// rows top to bottom, whatever the visual's layout. False when the server
// gives none (the window gone or not wholly on the screen).
bool readPixels(Display* display, Window window, int width, int height, std::vector<uint32_t>& pixels);

// The cursor the server shows now as its ARGB words, followed by its width
// and height; empty when there is none.
std::vector<unsigned long> cursorImage(Display* display);
// The same for a standard cursor (XC_left_ptr, XC_hand2, ...), shown for the
// purpose in a small window of its own at the screen's bottom right: the
// pointer moves there.
std::vector<unsigned long> fontCursorImage(Display* display, unsigned shape);

}  // namespace kx::x11
