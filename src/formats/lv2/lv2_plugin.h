// The two descriptors the bundle's library exports.
#pragma once

#include "lv2/core/lv2.h"
#include "lv2/ui/ui.h"

namespace kx::lv2 {

const LV2_Descriptor* pluginDescriptor();
const LV2UI_Descriptor* uiDescriptor();

}  // namespace kx::lv2
