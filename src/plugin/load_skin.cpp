// Skin loading for the effect: the script next to the library, else the
// built-in one. The editor window that will show it comes later; until then
// the skin is kept and the has-editor flag stays clear.
#include "plugin/effect.h"
#include "skin/skin.h"
#include "skin/skin_parser.h"

namespace kx {

bool KEffect::loadSkin() {
    skin_ = kx::loadSkin(this);
    return false;  // no editor yet
}

void KEffect::addDisplayValue(std::unique_ptr<KDisplayValue> value) {
    if (value)
        displayValues_.push_back(std::move(value));
}

const KDisplayValue* KEffect::findDisplayValue(const char* name, KDisplayValueType type) const {
    if (!name)
        return nullptr;
    for (const auto& v : displayValues_)
        if (v->type() == type && v->isNamed(name))
            return v.get();
    return nullptr;
}

}  // namespace kx
