// Pixels read back from the X server: a window's, children's pictures
// included.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace kx::x11 {

// The window's top-left width x height pixels as 0xAARRGGBB (alpha 0xFF),
// rows top to bottom, whatever the visual's layout. False when the server
// gives none (the window gone or not wholly on the screen).
bool readPixels(Display* display, Window window, int width, int height, std::vector<uint32_t>& pixels);

}  // namespace kx::x11
