// Input as a user's hands give it, through the XTest extension: the server
// moves its pointer and presses its buttons and keys, so the events reach
// whichever windows and grabs would get them. Every call is flushed; what is
// held down is tracked, so that an interrupted run leaves nothing stuck.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace kx::x11 {

enum Modifier : unsigned { kShift = 1u << 0, kControl = 1u << 1, kAlt = 1u << 2 };

class XTestInput {
public:
    XTestInput() = default;
    // `origin` is the window whose top-left is (0, 0) of the pointer's
    // positions; 0 for the screen's.
    XTestInput(Display* display, Window origin);

    // False (with the reason) when the server lacks the extension.
    static bool available(Display* display, std::string* error);
    // Without the extension every call does nothing.
    bool available() const { return xtest_; }

    // False when the origin window is not on the screen.
    bool moveTo(int x, int y);
    void button(unsigned button, bool press);
    void press(unsigned number) { button(number, true); }
    void release(unsigned number) { button(number, false); }
    void click(int x, int y, unsigned number = 1);
    // A wheel notch: button 4 (up) or 5 (down) pressed and released.
    void wheel(unsigned number);
    // A key by its keysym; false (with the reason) when no key gives it.
    bool key(unsigned long keysym, bool press, std::string* error = nullptr);
    // Modifiers (Modifier bits) pressed or released.
    void modifiers(unsigned bits, bool down);
    // A key pressed and released with the modifiers held.
    bool stroke(unsigned long keysym, unsigned bits, std::string* error = nullptr);
    // As stroke, with Shift added when the keysym is on the shifted level of
    // its key (an upper-case letter, '!' on '1'), as typing it takes.
    bool strokeAsTyped(unsigned long keysym, unsigned bits, std::string* error = nullptr);
    // Printable ASCII, character by character.
    bool type(const std::string& text, std::string* error = nullptr);
    // Lets go of every button and key this object holds.
    void releaseAll();

private:
    unsigned keycode(unsigned long keysym, std::string* error) const;

    Display* display_ = nullptr;
    Window origin_ = 0;
    bool xtest_ = false;
    std::vector<unsigned> buttonsDown_;
    std::vector<unsigned> keysDown_;
};

}  // namespace kx::x11
