// Plays replay steps as real input through the XTest extension: the X server
// moves its pointer and presses its keys, so the events reach whichever
// windows and grabs would get them from a user's hands.
//
// Uses the host's own connection; every step ends with a round trip, so the
// server has delivered its events before the caller lets the editor idle.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "edit/replay_script.h"

namespace kelvox2 {

class XTestPlayer {
public:
    // `origin` is the window whose top-left is (0, 0) of the steps.
    XTestPlayer(Display* display, Window origin) : display_(display), origin_(origin) {}

    // False (with the reason) when the server lacks the extension.
    static bool available(Display* display, std::string& error);

    // Plays a pointer, key or typing step (not Wait). False with a reason
    // when a key has no place on the server's keyboard.
    bool play(const ReplayStep& step, std::string& error);

    // Lets go of every button and modifier this player holds, so that an
    // interrupted replay leaves no stuck input behind.
    void releaseAll();

private:
    bool moveTo(int x, int y);
    bool tapKeysym(unsigned long keysym, unsigned modifiers, std::string& error);
    void setModifiers(unsigned modifiers, bool down);
    void fakeKey(unsigned long keysym, bool down);

    Display* display_;
    Window origin_;
    unsigned buttonsDown_ = 0;  // bit per button number
};

}  // namespace kelvox2
