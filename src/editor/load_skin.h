// An effect's editor from its skin: the script next to the library, else the
// built-in one. The editor that shows the skin owns it; the effect owns the
// editor.
#pragma once

#include <memory>

namespace kx {

class KEffect;
class KSkin;

// Loads the skin and, when one parses, gives the effect an editor showing it.
// Called once, after the effect is constructed; true when it has an editor.
bool loadSkinEditor(KEffect& effect);

// Gives the effect a new editor showing `skin` (null: no editor).
// User-interface thread, with the old editor closed.
void useSkin(KEffect& effect, std::unique_ptr<KSkin> skin);

}  // namespace kx
