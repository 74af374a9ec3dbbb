#include "editor/linux/x11_keys.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdint>

#include "editor/linux/single_byte_text.h"
#include "editor/window_messages.h"

namespace kx {

namespace {

struct KeysymEntry {
    KeySym keysym;
    unsigned virtualKey;
};

constexpr KeysymEntry kKeys[] = {
    {XK_BackSpace, VK_BACK},
    {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},
    {XK_Return, VK_RETURN},
    {XK_KP_Enter, VK_RETURN},
    {XK_Escape, VK_ESCAPE},
    {XK_Delete, VK_DELETE},
    {XK_KP_Delete, VK_DELETE},
    {XK_Insert, VK_INSERT},
    {XK_KP_Insert, VK_INSERT},
    {XK_Home, VK_HOME},
    {XK_KP_Home, VK_HOME},
    {XK_End, VK_END},
    {XK_KP_End, VK_END},
    {XK_Left, VK_LEFT},
    {XK_KP_Left, VK_LEFT},
    {XK_Right, VK_RIGHT},
    {XK_KP_Right, VK_RIGHT},
    {XK_Up, VK_UP},
    {XK_KP_Up, VK_UP},
    {XK_Down, VK_DOWN},
    {XK_KP_Down, VK_DOWN},
    {XK_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},
    {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},
    {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},
    {XK_Alt_R, VK_MENU},
    {XK_space, VK_SPACE},
    {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},
    {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL},
    {XK_KP_Divide, VK_DIVIDE},
};

// The Unicode character of a keysym: Latin-1 keysyms are their own code
// points, others carry theirs above 0x1000000; the euro sign has a keysym of
// its own from before that.
uint32_t codePointOf(KeySym keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return static_cast<uint32_t>(keysym);
    if (keysym >= 0x1000100 && keysym <= 0x110FFFF)
        return static_cast<uint32_t>(keysym - 0x1000000);
    return keysym == XK_EuroSign ? 0x20AC : 0;
}

}  // namespace

X11Key translateX11Key(XKeyEvent& event) {
    X11Key key;
    char buffer[8] = {};
    KeySym keysym = NoSymbol;
    int n = XLookupString(&event, buffer, sizeof buffer, &keysym, nullptr);
    for (const KeysymEntry& e : kKeys)
        if (e.keysym == keysym) {
            key.virtualKey = e.virtualKey;
            break;
        }
    if (!key.virtualKey) {
        // Letters and digits are their own virtual keys, whatever the case.
        KeySym lower = NoSymbol, upper = NoSymbol;
        XConvertCase(keysym, &lower, &upper);
        if ((upper >= XK_A && upper <= XK_Z) || (upper >= XK_0 && upper <= XK_9))
            key.virtualKey = static_cast<unsigned>(upper);
        else if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
            key.virtualKey = VK_NUMPAD0 + static_cast<unsigned>(keysym - XK_KP_0);
        else if (keysym >= XK_F1 && keysym <= XK_F12)
            key.virtualKey = VK_F1 + static_cast<unsigned>(keysym - XK_F1);
    }
    if (event.state & ControlMask)
        return key;
    const unsigned char typed = static_cast<unsigned char>(buffer[0]);
    if (n == 1 && typed >= 0x20 && typed != 0x7F)
        key.character = typed;
    else
        key.character = singleByteOf(codePointOf(keysym));
    return key;
}

}  // namespace kx
