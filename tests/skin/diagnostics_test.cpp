// The parser tells a listener what it found, and builds the same skin whether
// one listens or not.
#include <algorithm>
#include <sstream>

#include "controls/control.h"
#include "skin_fixture.h"

namespace kx::testing {
namespace {

class Listener : public KSkinDiagnostics {
public:
    void lineIgnored(int line, const char*, const char* reason) override {
        ignored.push_back(std::to_string(line) + ": " + reason);
    }
    void lineWarning(int line, const char*, const char* warning) override {
        warnings.push_back(std::to_string(line) + ": " + warning);
    }
    void skinRejected(const char* reason) override { rejected = reason; }
    std::vector<std::string> ignored, warnings;
    std::string rejected;
};

// Delivers its bytes a few at a time, as a file read may.
class TrickleSource : public KByteSource {
public:
    TrickleSource(std::string bytes, size_t step) : bytes_(std::move(bytes)), step_(step) {}
    bool isOpen() const override { return true; }
    size_t read(uint8_t* buffer, size_t count) override {
        size_t n = std::min({count, step_, bytes_.size() - at_});
        std::memcpy(buffer, bytes_.data() + at_, n);
        at_ += n;
        return n;
    }

private:
    std::string bytes_;
    size_t step_;
    size_t at_ = 0;
};

// Everything a parse decides, written out so two parses can be compared.
std::string describe(const KSkin& skin) {
    std::ostringstream s;
    KColour bg = skin.backgroundColour();
    s << skin.width() << 'x' << skin.height() << " pages " << skin.pageCount() << " start " << skin.startPage()
      << " throttle " << skin.refreshThrottle() << " colour " << int(bg.r) << ',' << int(bg.g) << ',' << int(bg.b)
      << " resources " << skin.resourceCount() << " checks " << skin.checkCount() << '\n';
    for (size_t i = 0; i < skin.controlCount(); ++i) {
        const KControl* c = skin.control(i);
        s << c->getClassName() << ' ' << c->getName() << ' ' << c->page() << ' ' << c->x() << ' ' << c->y() << ' '
          << c->width() << ' ' << c->height() << '\n';
    }
    for (size_t i = 0; i < skin.backgroundCount(); ++i) {
        const KBackground& b = skin.background(i);
        s << "background " << b.page << '-' << b.lastPage << ' ' << b.frame << ' ' << b.frameFollowsPage << '\n';
    }
    return s.str();
}

using DiagnosticsTest = SkinTest;

TEST_F(DiagnosticsTest, ListeningBuildsTheSameSkinAndPaintsTheSamePixels) {
    const std::string script = std::string(kBasicResources) +
                               "AddResource red RGBColour 300 0 -1\n"
                               "AddResource img PngResource Kelvox2AutoLvl.png 50 35 3\n"
                               "AddResource img2 PngResource Kelvox2AutoLvl.png 25 35 2\n"
                               "AddCheck on Param Wave1 > abc\n"
                               "AddCheck on Date == 13 40\n"
                               "Init 120 80 2\n"
                               "BackgroundCol 10 20 big\n"
                               "BackgroundImage 0 img2 1\n"
                               "Condition on nope\n"
                               "AddControl 1 x 10 40 40 KPotDot Wave1 red 11px red\n"
                               "AddControl 1 60 10 40 KPotDot Wave1 red 11 red\n"
                               "AddNameCtl tab 3 0 0 40 16 KPageSelHlt 2 half\n"
                               "EndCondition\n"
                               "AddControl 2 0 0 300 20 KLabel Middle \"${srate} ${Nope}\" font 0\n"
                               "AddControl 1 0 60 50 35 KImg img2\n"
                               "Init 120 60 2\n"
                               "StartPage 2\n";
    KMemorySource quiet(reinterpret_cast<const uint8_t*>(script.data()), script.size());
    std::unique_ptr<KSkin> unheard = parseSkin(quiet, effect.get());
    Listener listener;
    ASSERT_TRUE(load(script, &listener));
    ASSERT_TRUE(unheard);
    EXPECT_EQ(describe(*skin), describe(*unheard));
    EXPECT_GE(listener.warnings.size(), 8u);

    KCanvas& heard = paintNew();
    CountingWindow quietWindow;
    unheard->setWindow(&quietWindow);
    unheard->WindowOpened();
    KCanvas quietCanvas(unheard->width(), unheard->height());
    unheard->ResetCanvas(quietCanvas);
    unheard->Paint(quietCanvas);
    EXPECT_TRUE(
        std::equal(heard.pixels(), heard.pixels() + size_t(heard.width()) * heard.height(), quietCanvas.pixels()));
}

TEST_F(DiagnosticsTest, BuiltInSkinBuildsTheSameAndDrawsNoRemark) {
    KMemorySource quiet(kSkinFileName), heard(kSkinFileName);
    std::unique_ptr<KSkin> unheard = parseSkin(quiet, effect.get());
    Listener listener;
    std::unique_ptr<KSkin> listened = parseSkin(heard, effect.get(), nullptr, &listener);
    ASSERT_TRUE(unheard && listened);
    EXPECT_EQ(describe(*listened), describe(*unheard));
    EXPECT_TRUE(listener.ignored.empty()) << listener.ignored.front();
    EXPECT_TRUE(listener.warnings.empty()) << listener.warnings.front();
}

TEST_F(DiagnosticsTest, ByteOrderMarkIsSkippedOnlyAtTheStart) {
    const std::string bom = "\xEF\xBB\xBF";
    for (size_t step : {1, 2, 3, 4096}) {
        TrickleSource source(bom + "Init 30 20 2\n" + bom + "StartPage 2\nStartPage 2\n", step);
        Listener listener;
        std::unique_ptr<KSkin> s = parseSkin(source, effect.get(), nullptr, &listener);
        ASSERT_TRUE(s) << "step " << step;
        EXPECT_EQ(s->width(), 30);
        // A mark anywhere else is part of the text.
        ASSERT_EQ(listener.ignored.size(), 1u) << "step " << step;
        EXPECT_EQ(listener.ignored[0].rfind("2: unknown command", 0), 0u) << listener.ignored[0];
        EXPECT_EQ(s->startPage(), 2);
    }
    // What merely starts like a mark, or is too short to be one, is kept.
    for (std::string text : {std::string("\xEF\xBB"
                                         "Init 30 20 1\n"),
                             std::string("\xEF"), std::string("")}) {
        TrickleSource source(text, 1);
        Listener listener;
        EXPECT_FALSE(parseSkin(source, effect.get(), nullptr, &listener));
        EXPECT_EQ(listener.ignored.size(), text.size() > 1 ? 1u : text.size());
    }
}

TEST_F(DiagnosticsTest, AConditionNamingAMissingCheckStillAppliesAndWarns) {
    Listener listener;
    ASSERT_TRUE(load("AddCheck low Param Wave1 < 0.5\nInit 10 10 1\nCondition nope Not low\n", &listener));
    EXPECT_TRUE(listener.ignored.empty());
    ASSERT_EQ(listener.warnings.size(), 1u);
    EXPECT_EQ(listener.warnings[0], "3: no check named 'nope': left out of the condition");
}

}  // namespace
}  // namespace kx::testing
