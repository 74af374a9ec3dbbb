#include "controls/effect_link.h"

#include "params/enum_param.h"
#include "params/range_param.h"
#include "plugin/display_value.h"
#include "plugin/effect.h"

namespace kx {

namespace {

// The parameter and its slot in the current program; both null outside the list.
const KParam* paramAndSlot(const KEffect* effect, int index, const void** slot) {
    const KParam* p = effect ? effect->getParam(index) : nullptr;
    *slot = p ? effect->getBank().slotOf(effect->getCurrentProgram(), index) : nullptr;
    return *slot ? p : nullptr;
}

}  // namespace

int findParameterIndex(const KEffect* effect, const char* name) {
    return effect && name ? effect->findParameter(name) : -1;
}

int findCommandNumber(const KEffect* effect, const char* name) {
    if (!effect || !name)
        return -1;
    const KCommandList& list = effect->getCommandList();
    for (int i = 0; i < list.count(); ++i)
        if (list.get(i)->isNamed(name))
            return list.get(i)->commandNumber;
    return -1;
}

const KDisplayValue* findDisplayValue(const KEffect* effect, const char* name, KDisplayValueType type) {
    return effect ? effect->findDisplayValue(name, type) : nullptr;
}

double paramValue(const KEffect* effect, int index) {
    const void* slot;
    const KParam* p = paramAndSlot(effect, index, &slot);
    return p ? p->getValue(slot) : 0.0;
}

double paramQuantised(const KEffect* effect, int index) {
    const void* slot;
    const KParam* p = paramAndSlot(effect, index, &slot);
    return p ? p->getQuantisedValue(slot) : 0.0;
}

double paramRealValue(const KEffect* effect, int index) {
    const void* slot;
    const KParam* p = paramAndSlot(effect, index, &slot);
    return p ? p->getRealValue(slot) : 0.0;
}

double paramDefault(const KEffect* effect, int index) {
    const KParam* p = effect ? effect->getParam(index) : nullptr;
    return p ? p->getDefault() : 0.0;
}

bool paramAcceptsText(const KEffect* effect, int index) {
    const KParam* p = effect ? effect->getParam(index) : nullptr;
    return p && p->acceptsText();
}

int paramGridSteps(const KEffect* effect, int index) {
    const KParam* p = effect ? effect->getParam(index) : nullptr;
    if (const auto* range = dynamic_cast<const KRangeParam*>(p))
        return range->getSteps() > 0 ? range->getSteps() : 0;
    if (const auto* choice = dynamic_cast<const KEnumParam*>(p))
        return choice->getEntryCount() > 1 ? choice->getEntryCount() - 1 : 0;
    return 0;
}

const char* paramUnitText(const KEffect* effect, int index) {
    return effect ? effect->getBank().unitText(effect->getCurrentProgram(), index) : "";
}

int effectInputCount(const KEffect* effect) { return effect ? effect->getInputArrangement().numChannels : 0; }

int effectOutputCount(const KEffect* effect) { return effect ? effect->getOutputArrangement().numChannels : 0; }

void runEffectCommand(KEffect* effect, int command, bool shift, bool ctrl) {
    if (effect)
        effect->executeCommand(command, shift, ctrl);
}

void expandEffectVariables(KEffect* effect, char* out, size_t size, const char* text) {
    if (!size)
        return;
    out[0] = '\0';
    if (effect)
        effect->expandVariables(out, static_cast<int>(size), text);
}

}  // namespace kx
