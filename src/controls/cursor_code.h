// The cursor codes controls and the skin answer for a point, and what the
// editor window shows for each.
#pragma once

namespace kx {

// 0 and 1 both show the arrow: a control that wants no other cursor answers
// 0, and the skin answers 1 where no visible control is under the pointer.
enum KCursorCode : int { kCursorDefault = 0, kCursorArrow = 1, kCursorHand = 2, kCursorText = 3 };

}  // namespace kx
