// Image-frame controls ask their CurrentFrame through the virtual slot, so a
// product's subclass that picks its own frames is drawn with them.
#include "controls/meters.h"
#include "controls/page_selectors.h"
#include "controls/param_buttons.h"
#include "controls/pots.h"
#include "skin/skin_fixture.h"

namespace kx::testing {
namespace {

template <class Base>
class PinnedFrame : public Base {
public:
    template <class... Args>
    explicit PinnedFrame(Args&&... args) : Base(std::forward<Args>(args)...) {}
    int CurrentFrame() const override { return frame; }
    int frame = 3;
};

class FrameControlTest : public ImageSkinTest {
protected:
    void SetUp() override {
        ImageSkinTest::SetUp();
        ASSERT_TRUE(loadWithImages("AddResource four TestImage 10 10 4\nInit 100 20 1\n"));
        four = skin->findImage("four");
        ASSERT_NE(four, nullptr);
        paintNew();
    }

    KControlInit at(int x) const { return {x, 0, 10, 10, 0, nullptr, effect.get(), skin.get()}; }

    // Draws the control as the skin does when it needs it; the colour at its
    // inner pixel tells the frame shown.
    uint32_t shown(KControl& c) {
        canvas->setClip(c.x(), c.y(), c.width(), c.height());
        c.DrawIfNeeded(*canvas);
        canvas->resetClip();
        return pixel(c.x() + 5, 5);
    }

    template <class C>
    void expectDrawnWithItsOwnFrame(PinnedFrame<C>& c) {
        SCOPED_TRACE(c.getClassName());
        EXPECT_EQ(shown(c), frameColour(3) & 0xFFFFFF);
        EXPECT_FALSE(c.NeedsDraw(*canvas));
        c.frame = 1;
        EXPECT_TRUE(c.NeedsDraw(*canvas));  // a frame change alone asks for a draw
        EXPECT_EQ(shown(c), frameColour(1) & 0xFFFFFF);
    }

    const KImageResource* four = nullptr;
};

TEST_F(FrameControlTest, SubclassOverridingCurrentFrameIsDrawnWithItsFrame) {
    int p = effect->findParameter("Porta1");
    PinnedFrame<KImgPot> pot(at(0), p, four);
    PinnedFrame<KImgButton> button(at(10), p, four);
    PinnedFrame<KImgSwitch> toggle(at(20), p, four);
    PinnedFrame<KImgRadio> radio(at(30), p, 0, 3, four);
    PinnedFrame<KImgPageSel> tab(at(40), four, 1);
    PinnedFrame<KImgPeak> peak(at(50), nullptr, 0, four);
    expectDrawnWithItsOwnFrame(pot);
    expectDrawnWithItsOwnFrame(button);
    expectDrawnWithItsOwnFrame(toggle);
    expectDrawnWithItsOwnFrame(radio);
    expectDrawnWithItsOwnFrame(tab);
    expectDrawnWithItsOwnFrame(peak);
}

}  // namespace
}  // namespace kx::testing
