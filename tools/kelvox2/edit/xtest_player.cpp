#include "edit/xtest_player.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace kelvox2 {

namespace {

struct ModifierKey {
    unsigned bit;
    unsigned long keysym;
};
constexpr ModifierKey kModifierKeys[] = {
    {kReplayShift, XK_Shift_L},
    {kReplayCtrl, XK_Control_L},
    {kReplayAlt, XK_Alt_L},
};

}  // namespace

bool XTestPlayer::available(Display* display, std::string& error) {
    int event = 0, firstError = 0, major = 0, minor = 0;
    if (XTestQueryExtension(display, &event, &firstError, &major, &minor))
        return true;
    error = "the X server has no XTest extension, so events cannot be replayed";
    return false;
}

bool XTestPlayer::moveTo(int x, int y) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    Window root = DefaultRootWindow(display_);
    if (!XTranslateCoordinates(display_, origin_, root, x, y, &rootX, &rootY, &child))
        return false;
    XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
    return true;
}

void XTestPlayer::fakeKey(unsigned long keysym, bool down) {
    KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code)
        XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
}

void XTestPlayer::setModifiers(unsigned modifiers, bool down) {
    for (const ModifierKey& m : kModifierKeys)
        if (modifiers & m.bit)
            fakeKey(m.keysym, down);
}

bool XTestPlayer::tapKeysym(unsigned long keysym, unsigned modifiers, std::string& error) {
    KeyCode code = XKeysymToKeycode(display_, keysym);
    if (!code) {
        const char* name = XKeysymToString(keysym);
        error = std::string("no key on the X server's keyboard gives '") + (name ? name : "?") + "'";
        return false;
    }
    // Level 1 of the key (an upper-case letter, '!' on '1') needs Shift.
    if (XkbKeycodeToKeysym(display_, code, 0, 0) != keysym && XkbKeycodeToKeysym(display_, code, 0, 1) == keysym)
        modifiers |= kReplayShift;
    setModifiers(modifiers, true);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    setModifiers(modifiers, false);
    return true;
}

bool XTestPlayer::play(const ReplayStep& step, std::string& error) {
    bool ok = true;
    switch (step.kind) {
    case ReplayStep::Kind::Press:
    case ReplayStep::Kind::Release:
    case ReplayStep::Kind::Move: {
        // Modifiers go down first, so the motion and the button carry them.
        setModifiers(step.modifiers, true);
        if (step.hasPoint && !moveTo(step.x, step.y)) {
            error = "the editor window is not on the screen";
            ok = false;
        } else if (step.kind != ReplayStep::Kind::Move) {
            const bool press = step.kind == ReplayStep::Kind::Press;
            XTestFakeButtonEvent(display_, static_cast<unsigned>(step.button), press ? True : False, CurrentTime);
            if (press)
                buttonsDown_ |= 1u << step.button;
            else
                buttonsDown_ &= ~(1u << step.button);
        }
        setModifiers(step.modifiers, false);
        break;
    }
    case ReplayStep::Kind::Wheel:
        setModifiers(step.modifiers, true);
        if (!moveTo(step.x, step.y)) {
            error = "the editor window is not on the screen";
            ok = false;
        } else {
            XTestFakeButtonEvent(display_, static_cast<unsigned>(step.button), True, CurrentTime);
            XTestFakeButtonEvent(display_, static_cast<unsigned>(step.button), False, CurrentTime);
        }
        setModifiers(step.modifiers, false);
        break;
    case ReplayStep::Kind::Key: ok = tapKeysym(step.keysym, step.modifiers, error); break;
    case ReplayStep::Kind::Type:
        // Printable ASCII keysyms are the characters' own codes.
        for (unsigned char c : step.text)
            if (!(ok = tapKeysym(c, 0, error)))
                break;
        break;
    case ReplayStep::Kind::Wait: break;
    }
    XSync(display_, False);
    return ok;
}

void XTestPlayer::releaseAll() {
    for (unsigned button = 1; button < 32; ++button)
        if (buttonsDown_ & (1u << button))
            XTestFakeButtonEvent(display_, button, False, CurrentTime);
    buttonsDown_ = 0;
    XSync(display_, False);
}

}  // namespace kelvox2
