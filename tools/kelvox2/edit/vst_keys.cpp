#include "kelvox2/edit/vst_keys.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace kelvox2 {

namespace {

struct KeyName {
    KeySym keysym;
    unsigned char virt;
};

constexpr KeyName kSpecialKeys[] = {
    {XK_BackSpace, VKEY_BACK},
    {XK_Tab, VKEY_TAB},
    {XK_ISO_Left_Tab, VKEY_TAB},
    {XK_Clear, VKEY_CLEAR},
    {XK_Return, VKEY_RETURN},
    {XK_Pause, VKEY_PAUSE},
    {XK_Escape, VKEY_ESCAPE},
    {XK_space, VKEY_SPACE},
    {XK_End, VKEY_END},
    {XK_Home, VKEY_HOME},
    {XK_Left, VKEY_LEFT},
    {XK_Up, VKEY_UP},
    {XK_Right, VKEY_RIGHT},
    {XK_Down, VKEY_DOWN},
    {XK_Page_Up, VKEY_PAGEUP},
    {XK_Page_Down, VKEY_PAGEDOWN},
    {XK_Select, VKEY_SELECT},
    {XK_Print, VKEY_PRINT},
    {XK_KP_Enter, VKEY_ENTER},
    {XK_Insert, VKEY_INSERT},
    {XK_Delete, VKEY_DELETE},
    {XK_Help, VKEY_HELP},
    {XK_KP_Multiply, VKEY_MULTIPLY},
    {XK_KP_Add, VKEY_ADD},
    {XK_KP_Separator, VKEY_SEPARATOR},
    {XK_KP_Subtract, VKEY_SUBTRACT},
    {XK_KP_Decimal, VKEY_DECIMAL},
    {XK_KP_Divide, VKEY_DIVIDE},
    {XK_Num_Lock, VKEY_NUMLOCK},
    {XK_Scroll_Lock, VKEY_SCROLL},
    {XK_Shift_L, VKEY_SHIFT},
    {XK_Shift_R, VKEY_SHIFT},
    {XK_Control_L, VKEY_CONTROL},
    {XK_Control_R, VKEY_CONTROL},
    {XK_Alt_L, VKEY_ALT},
    {XK_Alt_R, VKEY_ALT},
    {XK_KP_Equal, VKEY_EQUALS},
};

unsigned char virtualKey(KeySym keysym) {
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return static_cast<unsigned char>(VKEY_NUMPAD0 + (keysym - XK_KP_0));
    if (keysym >= XK_F1 && keysym <= XK_F12)
        return static_cast<unsigned char>(VKEY_F1 + (keysym - XK_F1));
    for (const KeyName& k : kSpecialKeys)
        if (k.keysym == keysym)
            return k.virt;
    return 0;
}

}  // namespace

VstKeyCode vstKeyFromX(XKeyEvent& event, std::string* name) {
    KeySym keysym = NoSymbol;
    char text[8];
    // The keysym already reflects Shift; Control leaves it a plain letter.
    XLookupString(&event, text, sizeof text, &keysym, nullptr);
    VstKeyCode key{};
    if (keysym >= 0x20 && keysym <= 0x7e)
        key.character = static_cast<VstInt32>(keysym);
    else if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        key.character = static_cast<VstInt32>('0' + (keysym - XK_KP_0));
    key.virt = virtualKey(keysym);
    if (event.state & ShiftMask)
        key.modifier |= MODIFIER_SHIFT;
    if (event.state & Mod1Mask)
        key.modifier |= MODIFIER_ALTERNATE;
    if (event.state & ControlMask)
        key.modifier |= MODIFIER_CONTROL;
    if (name) {
        const char* n = keysym != NoSymbol ? XKeysymToString(keysym) : nullptr;
        *name = n ? n : "key" + std::to_string(event.keycode);
    }
    return key;
}

}  // namespace kelvox2
