#include "controls/label.h"
#include "controls/value_controls.h"
#include "skin/skin_fixture.h"

namespace kx::testing {
namespace {

uint32_t gNow = 1000;
uint32_t fakeClock() { return gNow; }

class TextTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        ASSERT_TRUE(load(std::string(kBasicResources) +
                         "Init 300 100 1\n"
                         "AddControl 1 0 0 300 20 KLabel Left \"Rate ${SRate} Hz\" font 15000\n"  // 0
                         "AddControl 1 0 20 300 20 KLabel right \"Plain\" font 500\n"             // 1
                         "AddControl 1 0 40 300 20 KLabel Middle \"${Outputs} out\" font 0\n"     // 2
                         "AddControl 1 0 60 300 20 KLabel centre \"${outputs}\" font -1\n"        // 3
                         "AddControl 1 0 80 100 20 KValue Detune1 font\n"));                      // 4
        gNow = 1000;
        skin->setClock(fakeClock);
    }
    KLabel* label(int i) { return static_cast<KLabel*>(skin->control(i)); }
};

TEST_F(TextTest, LabelsExpandAlignAndKnowWhenTheyAreStatic) {
    EXPECT_STREQ(label(0)->shownText(), "Rate 48000.0 Hz");
    EXPECT_FALSE(label(0)->isStatic());
    EXPECT_EQ(label(1)->alignment(), kAlignRight);
    EXPECT_TRUE(label(1)->isStatic());  // no variables: the interval is ignored
    EXPECT_EQ(label(2)->alignment(), kAlignLeft);
    EXPECT_STREQ(label(2)->shownText(), "1 out");
    EXPECT_TRUE(label(2)->isStatic());
    EXPECT_STREQ(label(3)->shownText(), "");  // names are case-sensitive
    EXPECT_EQ(label(3)->alignment(), kAlignCentre);
    EXPECT_EQ(alignmentFromWord(""), kAlignLeft);
}

TEST_F(TextTest, VariableLabelRedrawsOnlyAfterItsInterval) {
    paintNew();
    EXPECT_FALSE(label(0)->NeedsDraw(*canvas));
    effect->setSampleRate(96000);
    gNow += 15000;
    EXPECT_FALSE(label(0)->NeedsDraw(*canvas));
    gNow += 1;
    EXPECT_TRUE(label(0)->NeedsDraw(*canvas));
    paint();
    EXPECT_STREQ(label(0)->shownText(), "Rate 96000.0 Hz");
    EXPECT_FALSE(label(0)->NeedsDraw(*canvas));
    gNow = 5;  // the tick wrapped
    EXPECT_TRUE(label(0)->NeedsDraw(*canvas));
    // A static label keeps the text of load time.
    EXPECT_FALSE(label(2)->NeedsDraw(*canvas));
}

TEST_F(TextTest, LabelRedrawPutsBackWhatWasUnderIt) {
    paintNew();
    std::vector<uint32_t> blank(canvas->pixels(), canvas->pixels() + 300 * 20);
    // Draw something under the label that only its saved copy knows about.
    canvas->setClip(0, 0, 300, 20);
    canvas->fillRect(0, 0, 300, 20, KColour{0, 0, 90, 255});
    canvas->resetClip();
    label(0)->Invalidate();  // as after a background repaint
    paint();
    uint32_t under = 0xFF00005Au;
    int inked = 0;
    for (int i = 0; i < 300 * 20; ++i)
        inked += canvas->pixels()[i] != under;
    EXPECT_GT(inked, 0);  // text was drawn
    gNow += 20000;
    paint();  // the redraw starts from the saved background, not from old text
    int inkedAgain = 0;
    for (int i = 0; i < 300 * 20; ++i)
        inkedAgain += canvas->pixels()[i] != under;
    EXPECT_EQ(inkedAgain, inked);
}

TEST_F(TextTest, ValueShowsItsUnitTextAndRedrawsOnValueChange) {
    paintNew();
    KControl* v = skin->control(4);
    EXPECT_FALSE(v->NeedsDraw(*canvas));
    setValue("Detune1", 0.75);
    EXPECT_TRUE(v->NeedsDraw(*canvas));
    paint();
    EXPECT_FALSE(v->NeedsDraw(*canvas));
    int inked = 0;
    for (int y = 80; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            inked += pixel(x, y) != 0;
    EXPECT_GT(inked, 0);
    EXPECT_EQ(skin->CursorAt(50, 90), kCursorText);
}

}  // namespace
}  // namespace kx::testing
