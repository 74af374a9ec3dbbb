// Opening a link with whatever the system associates with it. The launcher
// is replaceable so that tests can watch links open without starting one.
#pragma once

namespace kx {

// Starts the system's opener on target (one argument, never through a
// shell); answers whether it could be started. The system launchers refuse
// (false) a target that is not a web or mail link (link_target.h).
using KLinkLauncher = bool (*)(const char* target);

bool systemLinkLauncher(const char* target);

// Replaces the launcher (null restores the system one); answers the old one.
KLinkLauncher setLinkLauncher(KLinkLauncher launcher);

// Opens the target when it is a web or mail link; answers false, so that the press that asked for it
// doesn't capture the mouse.
bool openLink(const char* target);

}  // namespace kx
