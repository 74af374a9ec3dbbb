// The effect's owning lists: parameters by VST index, commands by position.
#pragma once

#include "params/effect_command.h"
#include "params/param.h"
#include "params/pointer_list.h"

namespace kx {

inline constexpr int kEffectListGrowStep = 32;

using KParamList = KOwningList<KParam>;
using KCommandList = KOwningList<KEffectCommand>;

// The index of the first parameter whose whole name equals `name`, ignoring
// letter case; -1 when there is none (or no name).
int findParamByName(const KParamList& params, const char* name);

}  // namespace kx
