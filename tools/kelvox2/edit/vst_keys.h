// X key events as a VST 2.4 host forwards them to effEditKeyDown/Up.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "plugin/vst_abi.h"

namespace kelvox2 {

// character: the ASCII character the key gives (0 for none), virt: the
// VKEY_ code of a special key (0 for none), modifier: MODIFIER_ bits of the
// Shift, Alt and Control keys held. `name` receives the keysym's name.
VstKeyCode vstKeyFromX(XKeyEvent& event, std::string* name = nullptr);

}  // namespace kelvox2
