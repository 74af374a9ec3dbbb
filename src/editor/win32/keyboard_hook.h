#pragma once
// The keyboard hook of the text box: a WH_KEYBOARD hook on the box's thread
// that hands each keystroke to the box before the host can take it (as an
// accelerator, a dialog key or a shortcut) and keeps it from the host.
//
// Process-wide, like the hook itself: at most one is installed at a time,
// for the one box that has the keyboard.
//
// Threads: the user-interface thread that owns the box.

#include <windows.h>

namespace kx::win32 {

// Installs the hook for the box unless one is installed already, in which
// case the box takes it over. False when the system refuses the hook.
bool holdKeyboardFor(HWND box);
// Removes the hook if it serves that box (null: whichever box it serves).
void releaseKeyboardOf(HWND box);
// The box the hook serves; null when no hook is installed.
HWND keyboardHolder();

}  // namespace kx::win32
