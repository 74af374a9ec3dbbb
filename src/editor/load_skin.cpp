#include "editor/load_skin.h"

#include "editor/editor.h"
#include "plugin/effect.h"
#include "skin/skin.h"
#include "skin/skin_parser.h"

namespace kx {

bool loadSkinEditor(KEffect& effect) {
    useSkin(effect, loadSkin(&effect));
    return effect.getSkinEditor() != nullptr;
}

void useSkin(KEffect& effect, std::unique_ptr<KSkin> skin) {
    std::unique_ptr<KEditor> editor;
    KSkin* shown = skin.get();
    if (skin)
        editor = std::make_unique<KEditor>(&effect, std::move(skin));
    KEditor* shownBy = editor.get();
    effect.setSkinEditor(std::move(editor), shownBy, shown);
}

}  // namespace kx
