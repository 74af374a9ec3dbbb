// Stand-in until the skin loader exists: no skin, so no editor.
#include "plugin/effect.h"

namespace kx {

bool KEffect::loadSkin() { return false; }

}  // namespace kx
