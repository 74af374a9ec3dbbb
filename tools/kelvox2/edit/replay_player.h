// Plays replay steps as real input through XTest (the X11 harness), at the
// pixels of the host's window. Every step ends with a round trip, so the
// server has delivered its events before the caller lets the editor idle.
#pragma once

#include <string>

#include "kelvox2/edit/replay_script.h"
#include "x11-harness/xtest_input.h"

namespace kelvox2 {

// Plays a pointer, key or typing step (not Wait). False with a reason when
// the window is off the screen or a key has no place on the keyboard.
bool playReplayStep(kx::x11::XTestInput& input, const ReplayStep& step, std::string& error);

}  // namespace kelvox2
