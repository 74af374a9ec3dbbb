// The effect's side of its editor: repaint requests wait in the effect for
// the editor's idle, and the editor layer gives the effect its editor.
#include "editor/editor.h"
#include "editor/load_skin.h"
#include "instrument/synth_effect.h"
#include "skin/skin.h"
#include "skin/skin_parser.h"

#include <gtest/gtest.h>

#include <memory>

namespace kx {
namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(EditorRefresh, AParameterChangeLeavesOneRequestForTheEditorToTake) {
    SynthEffect effect(quietHost);
    effect.takeEditorRefresh();
    EXPECT_FALSE(effect.takeEditorRefresh());
    effect.setParameter(0, 0.5f);
    effect.setParameter(1, 0.5f);
    EXPECT_TRUE(effect.takeEditorRefresh());  // two changes, one repaint
    EXPECT_FALSE(effect.takeEditorRefresh());
}

TEST(EditorRefresh, ANewEditorStartsWithNoRequestPending) {
    SynthEffect effect(quietHost);
    effect.refreshEditor();
    useSkin(effect, loadSkinFrom(nullptr, &effect));
    EXPECT_FALSE(effect.takeEditorRefresh());
}

TEST(SkinEditor, TheEditorLayerGivesTheEffectAnEditorShowingTheSkinOrNone) {
    SynthEffect effect(quietHost);
    ASSERT_TRUE(loadSkinEditor(effect));
    KEditor* editor = effect.getSkinEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_EQ(effect.getSkin(), editor->skin());
    EXPECT_EQ(effect.getSkin()->effect(), &effect);
    EXPECT_TRUE(effect.getAeffect()->flags & effFlagsHasEditor);

    useSkin(effect, nullptr);
    EXPECT_EQ(effect.getSkinEditor(), nullptr);
    EXPECT_EQ(effect.getSkin(), nullptr);
    EXPECT_EQ(effect.getEditor(), nullptr);
    EXPECT_FALSE(effect.getAeffect()->flags & effFlagsHasEditor);
}

}  // namespace
}  // namespace kx
