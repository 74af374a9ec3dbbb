#include "instrument/platform_name.h"

namespace kx {

const char* platformName() { return "Win64"; }

}  // namespace kx
