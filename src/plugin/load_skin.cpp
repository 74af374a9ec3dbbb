// Skin loading for the effect: the script next to the library, else the
// built-in one; the editor that shows it owns it.
#include "editor/editor.h"
#include "plugin/effect.h"
#include "skin/skin.h"
#include "skin/skin_parser.h"

namespace kx {

bool KEffect::loadSkin() {
    useSkin(kx::loadSkin(this));
    return skinEditor_ != nullptr;
}

void KEffect::useSkin(std::unique_ptr<KSkin> skin) {
    std::unique_ptr<KEditor> newEditor;
    if (skin) {
        KSkin* shown = skin.get();
        newEditor = std::make_unique<KEditor>(this, std::move(skin));
        skin_ = shown;
    } else {
        skin_ = nullptr;
    }
    skinEditor_ = newEditor.get();
    setEditor(std::move(newEditor));
}

void KEffect::refreshEditor() {
    if (KEditor* e = skinEditor_)
        e->refresh();
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
