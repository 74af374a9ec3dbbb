#include "x11-harness/xtest_input.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>

namespace kx::x11 {

namespace {

struct ModifierKey {
    unsigned bit;
    unsigned long keysym;
};
constexpr ModifierKey kModifierKeys[] = {
    {kShift, XK_Shift_L},
    {kControl, XK_Control_L},
    {kAlt, XK_Alt_L},
};

void track(std::vector<unsigned>& held, unsigned what, bool down) {
    const auto at = std::find(held.begin(), held.end(), what);
    if (down && at == held.end())
        held.push_back(what);
    else if (!down && at != held.end())
        held.erase(at);
}

}  // namespace

XTestInput::XTestInput(Display* display, Window origin) : display_(display), origin_(origin) {
    std::string ignored;
    xtest_ = display_ && available(display_, &ignored);
}

bool XTestInput::available(Display* display, std::string* error) {
    int event = 0, firstError = 0, major = 0, minor = 0;
    if (XTestQueryExtension(display, &event, &firstError, &major, &minor))
        return true;
    *error = "the X server has no XTest extension, so events cannot be replayed";
    return false;
}

bool XTestInput::moveTo(int x, int y) {
    if (!xtest_)
        return false;
    int rootX = x, rootY = y;
    const Window root = DefaultRootWindow(display_);
    Window child = 0;
    if (origin_ && !XTranslateCoordinates(display_, origin_, root, x, y, &rootX, &rootY, &child))
        return false;
    XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
    XFlush(display_);
    return true;
}

void XTestInput::button(unsigned number, bool press) {
    if (!xtest_)
        return;
    XTestFakeButtonEvent(display_, number, press ? True : False, CurrentTime);
    XFlush(display_);
    track(buttonsDown_, number, press);
}

void XTestInput::click(int x, int y, unsigned number) {
    moveTo(x, y);
    press(number);
    release(number);
}

void XTestInput::wheel(unsigned number) {
    press(number);
    release(number);
}

unsigned XTestInput::keycode(unsigned long keysym, std::string* error) const {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (!code && error) {
        const char* name = XKeysymToString(keysym);
        *error = std::string("no key on the X server's keyboard gives '") + (name ? name : "?") + "'";
    }
    return code;
}

bool XTestInput::key(unsigned long keysym, bool press, std::string* error) {
    if (!xtest_)
        return false;
    const unsigned code = keycode(keysym, error);
    if (!code)
        return false;
    XTestFakeKeyEvent(display_, code, press ? True : False, CurrentTime);
    XFlush(display_);
    track(keysDown_, code, press);
    return true;
}

void XTestInput::modifiers(unsigned bits, bool down) {
    for (const ModifierKey& m : kModifierKeys)
        if (bits & m.bit)
            key(m.keysym, down);
}

bool XTestInput::stroke(unsigned long keysym, unsigned bits, std::string* error) {
    if (!xtest_ || !keycode(keysym, error))
        return false;
    modifiers(bits, true);
    key(keysym, true);
    key(keysym, false);
    modifiers(bits, false);
    return true;
}

bool XTestInput::strokeAsTyped(unsigned long keysym, unsigned bits, std::string* error) {
    if (!xtest_)
        return false;
    const KeyCode code = static_cast<KeyCode>(keycode(keysym, error));
    if (!code)
        return false;
    if (XkbKeycodeToKeysym(display_, code, 0, 0) != keysym && XkbKeycodeToKeysym(display_, code, 0, 1) == keysym)
        bits |= kShift;
    return stroke(keysym, bits, error);
}

bool XTestInput::type(const std::string& text, std::string* error) {
    // Printable ASCII keysyms are the characters' own codes.
    for (unsigned char c : text)
        if (!strokeAsTyped(c, 0, error))
            return false;
    return true;
}

void XTestInput::releaseAll() {
    if (!xtest_)
        return;
    for (unsigned b : buttonsDown_)
        XTestFakeButtonEvent(display_, b, False, CurrentTime);
    for (unsigned k : keysDown_)
        XTestFakeKeyEvent(display_, k, False, CurrentTime);
    buttonsDown_.clear();
    keysDown_.clear();
    XSync(display_, False);
}

}  // namespace kx::x11
