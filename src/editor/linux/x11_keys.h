// X key events as the window framework's keys: the virtual key of
// WM_KEYDOWN / WM_KEYUP and the single-byte character of WM_CHAR.
#pragma once

#include <X11/Xlib.h>

namespace kx {

struct X11Key {
    unsigned virtualKey = 0;      // 0: a key the framework has no code for
    unsigned char character = 0;  // 0: the key types nothing
};

// Reads the key event (XLookupString: the keyboard's own layout, Shift and
// Lock applied). Control chords type nothing.
X11Key translateX11Key(XKeyEvent& event);

}  // namespace kx
