#include "editor/host_keys.h"

#include "editor/window_messages.h"

namespace kx {

namespace {

// VstVirtualKey modifier bits.
constexpr unsigned char kModifierShift = 1;
constexpr unsigned char kModifierControl = 8;  // the Ctrl key on a PC keyboard

struct VirtualKeyEntry {
    unsigned char virtualKey;
    char character;  // what the key types when the host sends no character
};

// Indexed by VstVirtualKey (VKEY_BACK = 1 ... VKEY_EQUALS = 57).
constexpr VirtualKeyEntry kVirtualKeys[] = {
    {0, 0},  // none
    {VK_BACK, 0},
    {VK_TAB, 0},
    {0x0C, 0},  // back, tab, clear
    {VK_RETURN, 0},
    {0x13, 0},
    {VK_ESCAPE, 0},  // return, pause, escape
    {VK_SPACE, ' '},
    {VK_NEXT, 0},
    {VK_END, 0},  // space, next, end
    {VK_HOME, 0},
    {VK_LEFT, 0},
    {VK_UP, 0},  // home, left, up
    {VK_RIGHT, 0},
    {VK_DOWN, 0},
    {VK_PRIOR, 0},  // right, down, page up
    {VK_NEXT, 0},
    {0x29, 0},
    {0x2A, 0},  // page down, select, print
    {VK_RETURN, 0},
    {0x2C, 0},
    {VK_INSERT, 0},  // enter (keypad), snapshot, insert
    {VK_DELETE, 0},
    {0x2F, 0},  // delete, help
    {VK_NUMPAD0 + 0, '0'},
    {VK_NUMPAD0 + 1, '1'},
    {VK_NUMPAD0 + 2, '2'},
    {VK_NUMPAD0 + 3, '3'},
    {VK_NUMPAD0 + 4, '4'},
    {VK_NUMPAD0 + 5, '5'},
    {VK_NUMPAD0 + 6, '6'},
    {VK_NUMPAD0 + 7, '7'},
    {VK_NUMPAD0 + 8, '8'},
    {VK_NUMPAD0 + 9, '9'},
    {VK_MULTIPLY, '*'},
    {VK_ADD, '+'},
    {0x6C, 0},  // multiply, add, separator
    {VK_SUBTRACT, '-'},
    {VK_DECIMAL, '.'},
    {VK_DIVIDE, '/'},
    {VK_F1 + 0, 0},
    {VK_F1 + 1, 0},
    {VK_F1 + 2, 0},
    {VK_F1 + 3, 0},
    {VK_F1 + 4, 0},
    {VK_F1 + 5, 0},
    {VK_F1 + 6, 0},
    {VK_F1 + 7, 0},
    {VK_F1 + 8, 0},
    {VK_F1 + 9, 0},
    {VK_F1 + 10, 0},
    {VK_F1 + 11, 0},
    {0x90, 0},
    {0x91, 0},  // num lock, scroll lock
    {VK_SHIFT, 0},
    {VK_CONTROL, 0},
    {VK_MENU, 0},  // shift, control, alt
    {0xBB, '='},   // equals
};
constexpr int kVirtualKeyCount = int(sizeof kVirtualKeys / sizeof kVirtualKeys[0]);
static_assert(kVirtualKeyCount == 58);

}  // namespace

KHostKey translateHostKey(const VstKeyCode& key) {
    KHostKey out;
    out.shift = (key.modifier & kModifierShift) != 0;
    out.control = (key.modifier & kModifierControl) != 0;
    unsigned char typed = key.character >= 0x20 && key.character <= 0xFF && key.character != 0x7F
                              ? static_cast<unsigned char>(key.character)
                              : 0;
    if (key.virt > 0 && key.virt < kVirtualKeyCount) {
        out.virtualKey = kVirtualKeys[key.virt].virtualKey;
        if (!typed)
            typed = static_cast<unsigned char>(kVirtualKeys[key.virt].character);
    } else if (typed) {
        // A plain character: letters and digits are their own virtual keys.
        unsigned char upper = typed >= 'a' && typed <= 'z' ? static_cast<unsigned char>(typed - 'a' + 'A') : typed;
        if ((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9'))
            out.virtualKey = upper;
    }
    // A Ctrl chord is a command, never text.
    out.character = out.control ? 0 : typed;
    return out;
}

}  // namespace kx
