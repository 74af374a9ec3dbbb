#include "instrument/platform_name.h"

namespace kx {

const char* platformName() { return "Linux64"; }

}  // namespace kx
