// The editor window has no Win32 binding yet: on Windows `open` answers false
// and the instrument runs without its window, as it does without a display
// on Linux.
#include "editor/window_system.h"

namespace kx {

std::unique_ptr<KWindowSystem> connectWindowSystem() { return nullptr; }

}  // namespace kx
