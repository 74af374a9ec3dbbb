// The cursor the server shows, read back (XFixes) for comparison with the
// standard cursors.
#pragma once

typedef struct _XDisplay Display;

#include <vector>

namespace kx::testing {

// The cursor the server shows now as its ARGB words, followed by its width
// and height; empty when there is none.
std::vector<unsigned long> cursorImage(Display* display);
// The same for a standard cursor (XC_left_ptr, XC_hand2, ...), shown for the
// purpose in a small window of its own at the screen's bottom right: the
// pointer moves there.
std::vector<unsigned long> fontCursorImage(Display* display, unsigned shape);

}  // namespace kx::testing
