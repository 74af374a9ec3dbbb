// Stand-in until the preset reader exists: the bank keeps its defaults.
// The preset reader replaces this file.
#include "plugin/effect.h"

namespace kx {

void KEffect::loadPresets(const char*) {}

}  // namespace kx
