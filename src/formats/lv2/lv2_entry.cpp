// The bundle library's two exported entry points.
#include "formats/lv2/lv2_plugin.h"

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? kx::lv2::pluginDescriptor() : nullptr;
}

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? kx::lv2::uiDescriptor() : nullptr;
}
