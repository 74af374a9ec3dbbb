// Values typed into a read-out's box as a musician types them (units,
// silence, words), and the value the host is told.
#include <X11/keysym.h>

#include "editor_fixture.h"

namespace kx::testing {
namespace {

inline constexpr SkinPoint kNoise1Value{480, 182};  // KValue Noise1 at 450 175 60 15
inline constexpr SkinPoint kLevel1Value{545, 182};  // KValue Level1 at 515 175 60 15
inline constexpr SkinPoint kAttk2Value{285, 277};   // KValue Attk2 at 255 270 60 15

class ReadOutTyping : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(open());
        XSetInputFocus(host->display(), host->window(), RevertToParent, CurrentTime);
        host->sync();
    }

    // Clicks the read-out, types the text and presses Return.
    void typeInto(SkinPoint readOut, const char* text) {
        KTextEntry& entry = window().textEntry();
        host->click(readOut.x, readOut.y);
        ASSERT_TRUE(idleUntil([&] { return entry.isOpen(); })) << text;
        hostCalls().clear();
        host->type(text);
        host->key(XK_Return);
        ASSERT_TRUE(idleUntil([&] { return !entry.isOpen(); })) << text;
    }

    // The last value the host was told for the parameter; NaN when none.
    static float reported(int index) {
        float value = NAN;
        for (const HostCall& call : hostCalls())
            if (call == automate(index))
                value = call.value;
        return value;
    }

    const char* shown(int index) { return effect->getBank().valueText(effect->getCurrentProgram(), index); }
};

TEST_F(ReadOutTyping, UnitsAndSilenceAreReadAndWordsKeepTheValue) {
    const int noise1 = param("Noise1"), level1 = param("Level1"), attk2 = param("Attk2");
    aeffect->setParameter(aeffect, noise1, 0.5f);
    aeffect->setParameter(aeffect, level1, 0.5f);

    typeInto(kNoise1Value, "off");
    EXPECT_STREQ(shown(noise1), "-Inf");
    EXPECT_EQ(reported(noise1), 0.0f);

    typeInto(kAttk2Value, "200 ms");
    EXPECT_STREQ(shown(attk2), "0.20");
    EXPECT_FLOAT_EQ(reported(attk2), float((0.2 - 0.01) / 1.99));

    // A word that is no value: the level stays, it does not jump to 0 dB.
    typeInto(kLevel1Value, "mute");
    EXPECT_STREQ(shown(level1), "-6.0");
    EXPECT_EQ(value(level1), 0.5);
}

}  // namespace
}  // namespace kx::testing
