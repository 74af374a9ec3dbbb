// Keys a host forwards with effEditKeyDown / effEditKeyUp (the VST 2.4
// character, virtual key and modifier bits), as the window messages of the
// window that has the keyboard: a virtual key for WM_KEYDOWN / WM_KEYUP and,
// for keys that type, the character of WM_CHAR.
#pragma once

#include "plugin/vst_abi.h"

namespace kx {

struct KHostKey {
    unsigned virtualKey = 0;      // 0 when the key has none
    unsigned char character = 0;  // 0 when the key types nothing
    bool shift = false;
    bool control = false;
};

KHostKey translateHostKey(const VstKeyCode& key);

}  // namespace kx
