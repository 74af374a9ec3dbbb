// KEffectCommand: a momentary action a skin control fires. It has no value
// and no place in the program bank; firing it calls the effect's
// executeCommand with its command number.
#pragma once

#include "params/named_object.h"

namespace kx {

class KEffectCommand : public KNamedObjectN<kObjectNameLength> {
public:
    KEffectCommand() = default;
    KEffectCommand(const char* name, int commandNumber) : commandNumber(commandNumber) { setName(name); }

    const char* getClassName() const override { return "KEffectCommand"; }

    int commandNumber = 0;
};

}  // namespace kx
