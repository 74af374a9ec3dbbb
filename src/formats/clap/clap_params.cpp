// The params extension: the effect's parameter list as CLAP parameters, ids
// equal to the VST 2.4 indices.
#include "formats/clap/clap_extensions.h"

#include "formats/clap/clap_instance.h"
#include "formats/clap/clap_param_scale.h"
#include "params/number_text.h"
#include "plugin/effect.h"

#include <cstring>

namespace kx::clap {

namespace {

const KParam* paramOf(const clap_plugin* plugin, clap_id id) {
    ClapInstance* instance = ClapInstance::from(plugin);
    if (!instance || id >= static_cast<clap_id>(instance->effect()->numParams))
        return nullptr;
    return instance->kEffect()->getParam(static_cast<int>(id));
}

uint32_t count(const clap_plugin* plugin) {
    ClapInstance* instance = ClapInstance::from(plugin);
    return instance ? static_cast<uint32_t>(instance->effect()->numParams) : 0;
}

bool getInfo(const clap_plugin* plugin, uint32_t index, clap_param_info* info) {
    const KParam* param = paramOf(plugin, index);
    if (!param || !info)
        return false;
    std::memset(info, 0, sizeof *info);
    const ParamScale scale = scaleOf(*param);
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE | (scale.stepped ? CLAP_PARAM_IS_STEPPED : 0u) |
                  (scale.choice ? CLAP_PARAM_IS_ENUM : 0u);
    copyText(info->name, param->getName(), CLAP_NAME_SIZE - 1);
    info->min_value = scale.min;
    info->max_value = scale.max;
    info->default_value = toPlain(*param, param->getDefault());
    return true;
}

bool getValue(const clap_plugin* plugin, clap_id id, double* value) {
    const KParam* param = paramOf(plugin, id);
    if (!param || !value)
        return false;
    *value = toPlain(*param, ClapInstance::from(plugin)->kEffect()->getParameterValue(static_cast<int>(id)));
    return true;
}

// A slot of the parameter's own, outside the bank: what it would show or
// read, without changing the effect.
struct ScratchSlot {
    alignas(8) unsigned char bytes[16] = {};
};

bool valueToText(const clap_plugin* plugin, clap_id id, double value, char* text, uint32_t capacity) {
    const KParam* param = paramOf(plugin, id);
    if (!param || !text || capacity < 1 || param->getStorageSize() > static_cast<int>(sizeof(ScratchSlot)))
        return false;
    ScratchSlot slot;
    param->setValue(slot.bytes, toNormalised(*param, value));
    param->getDisplayWithUnits(text, capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capacity), slot.bytes);
    return true;
}

bool textToValue(const clap_plugin* plugin, clap_id id, const char* text, double* value) {
    const KParam* param = paramOf(plugin, id);
    if (!param || !text || !value || !param->acceptsText() ||
        param->getStorageSize() > static_cast<int>(sizeof(ScratchSlot)))
        return false;
    ScratchSlot slot;
    param->setValue(slot.bytes, ClapInstance::from(plugin)->kEffect()->getParameterValue(static_cast<int>(id)));
    if (!param->setFromText(slot.bytes, text))
        return false;
    *value = toPlain(*param, param->getValue(slot.bytes));
    return true;
}

void flush(const clap_plugin* plugin, const clap_input_events* in, const clap_output_events* out) {
    if (ClapInstance* instance = ClapInstance::from(plugin))
        instance->flush(in, out);
}

}  // namespace

const clap_plugin_params kParams = {count, getInfo, getValue, valueToText, textToValue, flush};

}  // namespace kx::clap
