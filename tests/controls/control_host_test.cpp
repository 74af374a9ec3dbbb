// Controls ask everything of the view that shows them through KControlHost:
// a view of its own shows them without a skin.
#include <memory>
#include <string>
#include <vector>

#include "controls/label.h"
#include "controls/links.h"
#include "controls/page_selectors.h"
#include "controls/value_controls.h"
#include "skin/skin_fixture.h"

namespace kx::testing {
namespace {

// A view that is not a skin: it keeps what the controls asked of it.
class ListView : public KControlHost {
public:
    void RequestRepaint() override { ++repaints; }
    void SetPage(int p) override { page = p; }
    int GetPage() const override { return page; }
    void RestoreBackground(KCanvas&) override { ++restores; }
    uint32_t TickCount() const override { return tick; }
    void OpenTextEntry(int x, int y, int, int, const KFontResource*, int paramIndex) override {
        entries.push_back({x, y, paramIndex});
    }
    void OpenLink(const char* target) override { links.push_back(target); }

    struct Entry {
        int x, y, param;
    };
    int repaints = 0;
    int page = 1;
    int restores = 0;
    uint32_t tick = 0;
    std::vector<Entry> entries;
    std::vector<std::string> links;
};

class ControlHostTest : public SkinTest {
protected:
    KControlInit at(int x, int page = 0) { return {x, 0, 20, 20, page, nullptr, effect.get(), &view}; }
    ListView view;
};

TEST_F(ControlHostTest, APageTabShowsItsPageThroughTheHostAndRepaintsOnRelease) {
    KPageSelHlt tab(at(0), 2, nullptr);
    EXPECT_EQ(tab.CursorAt(5, 5), kCursorHand);
    EXPECT_TRUE(tab.LeftDown(false, false, 5, 5));
    EXPECT_EQ(view.page, 2);
    EXPECT_EQ(view.repaints, 0);  // showing the page is the host's own repaint
    EXPECT_TRUE(tab.LeftUp(false, false, 50, 50));
    EXPECT_EQ(view.repaints, 1);
    EXPECT_FALSE(tab.isPressed());
}

TEST_F(ControlHostTest, VisibilityFollowsTheHostsPage) {
    KUrl onTwo(at(0, 2), "https://tamlow.example");
    EXPECT_FALSE(onTwo.IsVisible());
    view.page = 2;
    EXPECT_TRUE(onTwo.IsVisible());
}

TEST_F(ControlHostTest, ALinkAndAValueAskTheHostForTheLinkAndTheTextBox) {
    KUrl link(at(0), "https://tamlow.example/kelvox2");
    EXPECT_FALSE(link.LeftDown(false, false, 1, 1));
    ASSERT_EQ(view.links.size(), 1u);
    EXPECT_EQ(view.links[0], "https://tamlow.example/kelvox2");

    int detune = param("Detune1");
    KValue value(at(40), detune, nullptr);
    EXPECT_FALSE(value.LeftDown(false, false, 1, 1));
    ASSERT_EQ(view.entries.size(), 1u);
    EXPECT_EQ(view.entries[0].x, 40);
    EXPECT_EQ(view.entries[0].param, detune);
}

TEST_F(ControlHostTest, ALabelTimesItsRefreshByTheHostsTickAndAnImageIsErasedByIt) {
    KFontResource font(std::make_unique<KFont>(12, KColour{255, 255, 255, 255}, nullptr));
    KImageResource image(makeFrameImage(20, 20, 1, 1), 20, 20, 1);
    KLabel label(at(0), "Left", "Rate ${SRate}", &font, 100);
    KCanvas canvas(100, 20);
    canvas.setClip(0, 0, 20, 20);
    view.tick = 1000;
    label.DrawIfNeeded(canvas);
    EXPECT_FALSE(label.NeedsDraw(canvas));
    view.tick = 1101;
    EXPECT_TRUE(label.NeedsDraw(canvas));
    // Drawn again over its own pixels: it puts back what it saved, without
    // asking the host to restore the background.
    label.DrawIfNeeded(canvas);
    EXPECT_EQ(view.restores, 0);
    KImg picture(at(60), &image);
    picture.DrawIfNeeded(canvas);
    picture.Erase(canvas);
    EXPECT_EQ(view.restores, 1);
}

}  // namespace
}  // namespace kx::testing
