#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "controls/label.h"
#include "controls/pots.h"
#include "controls/value_controls.h"
#include "data/embedded_file.h"
#include "graphics/resource.h"
#include "skin_fixture.h"

namespace kx::testing {
namespace {

class Diagnostics : public KSkinDiagnostics {
public:
    void lineIgnored(int line, const char* text, const char* reason) override {
        ignored.push_back({line, text, reason});
    }
    void skinRejected(const char* reason) override { rejected = reason; }
    struct Line {
        int line;
        std::string text, reason;
    };
    std::vector<Line> ignored;
    std::string rejected;
};

using ParserTest = SkinTest;

TEST_F(ParserTest, DefaultSkinHasItsSizePagesAndControls) {
    KMemorySource source(kSkinFileName);
    skin = parseSkin(source, effect.get());
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->width(), 665);
    EXPECT_EQ(skin->height(), 407);
    EXPECT_EQ(skin->pageCount(), 2);
    EXPECT_EQ(skin->startPage(), 1);
    bool haveImages = findEmbeddedFile("Kelvox2.png") && findEmbeddedFile("Kelvox2AutoLvl.png") &&
                      findEmbeddedFile("Kelvox2FullRnd.png") && findEmbeddedFile("Kelvox2PartRnd.png");
    // Tabs, 30 dials, 30 read-outs, two links and ten labels need no image.
    EXPECT_EQ(skin->controlCount(), haveImages ? 77u : 74u);
    int dials = 0, values = 0, labels = 0;
    for (size_t i = 0; i < skin->controlCount(); ++i) {
        KControl* c = skin->control(i);
        dials += c->isClass("KPotDot");
        values += c->isClass("KValue");
        labels += c->isClass("KLabel");
        if (c->isClass("KPotDot")) {
            // Each read-out sits 10 px left of and 45 px below the dial before it.
            KControl* v = skin->control(i + 1);
            EXPECT_TRUE(v->isClass("KValue"));
            EXPECT_EQ(v->x(), c->x() - 10);
            EXPECT_EQ(v->y(), c->y() + 45);
        }
    }
    EXPECT_EQ(dials, 30);
    EXPECT_EQ(values, 30);
    EXPECT_EQ(labels, 10);
    if (haveImages) {
        EXPECT_EQ(skin->backgroundCount(), 1u);  // one map entry serving both pages
    }
}

TEST_F(ParserTest, DefaultSkinLabelsExpandTheirVariables) {
    KMemorySource source(kSkinFileName);
    skin = parseSkin(source, effect.get());
    ASSERT_TRUE(skin);
    std::vector<std::string> texts;
    for (size_t i = 0; i < skin->controlCount(); ++i)
        if (auto* l = dynamic_cast<KLabel*>(skin->control(i)))
            texts.push_back(l->shownText());
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[0], "Tamlow Kelvox2 1.2 ~ 3-oscillator monophonic synth");
    EXPECT_EQ(texts[3], "Host: 48000.0 Hz ~ Vend Prod");
    EXPECT_EQ(texts[4], "Full Random completely randomizes the parameters");
}

TEST_F(ParserTest, CommandTypeAndKindWordsIgnoreLetterCase) {
    ASSERT_TRUE(
        load("addresource Red rgbcolour 1 2 3\n"
             "ADDRESOURCE f deffont 12 Red\n"
             "init 100 50 1\n"
             "addcontrol 1 0 0 40 40 kpotdot wave1 Red 5 Red\n"
             "AddControl 1 0 0 40 40 KValue WAVE1 f\n"));
    EXPECT_EQ(skin->width(), 100);
    EXPECT_EQ(skin->height(), 62);
    EXPECT_EQ(skin->controlCount(), 2u);
    // Resource names are case-sensitive.
    EXPECT_TRUE(skin->findColour("Red"));
    EXPECT_FALSE(skin->findColour("red"));
}

TEST_F(ParserTest, SkinWithoutSizeOrPagesIsRejected) {
    Diagnostics d;
    EXPECT_FALSE(load("AddResource a RGBColour 1 2 3\n", &d));
    EXPECT_FALSE(d.rejected.empty());
    EXPECT_FALSE(load("Init 0 395 2\n"));
    EXPECT_FALSE(load("Init 665 395 0\n"));
    EXPECT_FALSE(load("Init 665 -12 1\n"));
    EXPECT_FALSE(load("Init 665 2147483647 1\n"));  // the footer must not wrap the height
    EXPECT_TRUE(load("Init 665 -11 1\n"));          // stored height 1 is enough
    EXPECT_TRUE(load("Init 1 1 1\nInit 665 395 2\n"));
    EXPECT_EQ(skin->width(), 665);
}

TEST_F(ParserTest, PageCommandsUseThePageCountKnownAtTheirLine) {
    ASSERT_TRUE(load("StartPage 2\nInit 10 10 2\n"));
    EXPECT_EQ(skin->startPage(), 1);
    ASSERT_TRUE(load("Init 10 10 2\nStartPage 3\n"));
    EXPECT_EQ(skin->startPage(), 1);
    ASSERT_TRUE(load("Init 10 10 2\nStartPage 2\n"));
    EXPECT_EQ(skin->startPage(), 2);
    EXPECT_EQ(skin->GetPage(), 2);  // the window opens on it
}

TEST_F(ParserTest, BackgroundColourOutsideByteRangeIsIgnored) {
    Diagnostics d;
    ASSERT_TRUE(load("Init 10 10 1\nBackgroundCol 256 0 0\nBackgroundCol 0 -1 0\n", &d));
    EXPECT_EQ(d.ignored.size(), 2u);
    EXPECT_EQ(skin->backgroundColour().r, 0);
    ASSERT_TRUE(load("Init 10 10 1\nBackgroundCol 10 20 255\n"));
    EXPECT_EQ(skin->backgroundColour().b, 255);
    EXPECT_EQ(skin->backgroundColour().a, 255);
}

TEST_F(ParserTest, BadLineIsIgnoredWithItsReasonAndTheRestLoads) {
    Diagnostics d;
    ASSERT_TRUE(load(std::string(kBasicResources) + "Init 100 100 1\n"
                                                    "\n\n# a comment\n"
                                                    "AddControl 1 0 0 40 40 KPotDot NoSuch red 5 red\n"
                                                    "Frobnicate 1 2\n"
                                                    "AddControl 1 0 0\n"
                                                    "AddControl 1 50 0 40 40 KPotDot Wave1 red 5 red\n",
                     &d));
    EXPECT_EQ(skin->controlCount(), 1u);
    ASSERT_EQ(d.ignored.size(), 3u);
    // Runs of line ends come back as one break, comment lines count.
    EXPECT_EQ(d.ignored[0].line, 8);
    EXPECT_EQ(d.ignored[0].text, "AddControl 1 0 0 40 40 KPotDot NoSuch red 5 red");
    EXPECT_EQ(d.ignored[0].reason, "no parameter named 'NoSuch'");
    EXPECT_EQ(d.ignored[1].reason, "unknown command 'Frobnicate'");
    EXPECT_EQ(d.ignored[2].reason, "AddControl takes page, x, y, width and height; the width and height are missing");
}

TEST_F(ParserTest, ResourceLookupsAreTypedAndFindTheFirstOfAName) {
    Diagnostics d;
    ASSERT_TRUE(
        load("AddResource c RGBColour 1 0 0\n"
             "AddResource c RGBColour 2 0 0\n"
             "AddResource f DefFont 12 c\n"
             "Init 10 10 1\n"
             "AddControl 1 0 0 10 10 KValue Wave1 c\n"  // a colour is no font
             "AddControl 1 0 0 10 10 KValue Wave1 Null\n",
             &d));
    EXPECT_EQ(skin->findColour("c")->colour().r, 1);
    EXPECT_FALSE(skin->findFont("c"));
    EXPECT_FALSE(skin->findColour("Null"));
    EXPECT_EQ(skin->controlCount(), 0u);
    EXPECT_EQ(d.ignored.size(), 2u);
}

TEST_F(ParserTest, ResourceNamesAreCutTo25Characters) {
    ASSERT_TRUE(load("AddResource abcdefghijklmnopqrstuvwxyz1234 RGBColour 300 0 -1\nInit 1 1 1\n"));
    const KColourResource* c = skin->findColour("abcdefghijklmnopqrstuvwxyz1234");
    ASSERT_TRUE(c);
    EXPECT_EQ(c, skin->findColour("abcdefghijklmnopqrstuvwxy"));
    EXPECT_STREQ(c->getName(), "abcdefghijklmnopqrstuvwxy");
    // Components keep their low 8 bits.
    EXPECT_EQ(c->colour().r, 44);
    EXPECT_EQ(c->colour().b, 255);
}

TEST_F(ParserTest, FontNeedsAPositiveHeightAndAColour) {
    ASSERT_TRUE(
        load("AddResource c RGBColour 1 2 3\n"
             "AddResource a DefFont 0 c\n"
             "AddResource b DefFont 12 nosuch\n"
             "AddResource d DefFont 12 c \"DejaVu Sans\"\n"
             "AddResource e Sparkle 1 2\n"
             "AddResource g\n"
             "Init 1 1 1\n"));
    EXPECT_FALSE(skin->findFont("a"));
    EXPECT_FALSE(skin->findFont("b"));
    ASSERT_TRUE(skin->findFont("d"));
    EXPECT_STREQ(skin->findFont("d")->font().faceName(), "DejaVu Sans");
    EXPECT_EQ(skin->findFont("d")->font().colour().g, 2);
    EXPECT_EQ(skin->resourceCount(), 2u);
}

TEST_F(ParserTest, HashStartsACommentEvenInsideQuotes) {
    ASSERT_TRUE(load(std::string(kBasicResources) + "Init 100 20 1\n"
                                                    "AddControl 1 0 0 100 20 KLabel Left \"Track #1\" font 0\n"
                                                    "AddControl 1 0 0 100 20 KLabel Left \"No hash\" font 0\n"));
    // The first line lost its font and interval to the comment.
    ASSERT_EQ(skin->controlCount(), 1u);
    EXPECT_STREQ(static_cast<KLabel*>(skin->control(0))->shownText(), "No hash");
}

TEST_F(ParserTest, ControlsCheckTheirArguments) {
    Diagnostics d;
    ASSERT_TRUE(load(std::string(kBasicResources) +
                         "Init 100 100 2\n"
                         "AddControl 1 0 0 40 40 KPotDot Wave1 red 0 red\n"     // radius 0
                         "AddControl 1 0 0 40 40 KPotDot Wave1 red 5\n"         // too few
                         "AddControl 1 0 0 40 16 KPageSelHlt 0 half\n"          // page 0
                         "AddControl 1 0 0 40 16 KImgRadio Wave1 4 3 nosuch\n"  // position > last
                         "AddControl 1 0 0 40 16 KHlRadio Wave1 0 -1 0 0 9 9 red green blue\n"
                         "AddControl 1 0 0 40 16 KImgCommand NoCommand nosuch\n"
                         "AddControl 1 0 0 40 16 KBarFracMeter level LeftToRight red\n"  // no such value
                         "AddControl 1 0 0 40 16 KWidget 1\n"
                         "AddNameCtl tab 1 0 0 40 16 KPageSelHlt 2 half\n"
                         "AddControl 1 0 0 40 16 KHlRadio Wave1 1 3 0 0 9 9 red green blue\n"
                         "AddControl 1 0 0 40 16 KUrl \"https://tamlow.example/\"\n",
                     &d));
    EXPECT_EQ(d.ignored.size(), 8u);
    ASSERT_EQ(skin->controlCount(), 3u);
    EXPECT_STREQ(skin->control(0)->getName(), "tab");
    EXPECT_TRUE(skin->control(1)->isClass("KHlRadio"));
    EXPECT_TRUE(skin->control(2)->isClass("KUrl"));
}

TEST_F(ParserTest, InstallTTFFindsOnlyBuiltInFiles) {
    Diagnostics d;
    ASSERT_TRUE(load("InstallTTF face NoSuchFont.ttf\nInstallTTF face Kelvox2Preset.txt\nInit 1 1 1\n", &d));
    // Neither a missing file nor one that is no font installs anything.
    EXPECT_EQ(d.ignored.size(), 2u);
}

// The file next to the library wins when it parses; otherwise the built-in
// script is used.
TEST_F(ParserTest, SkinFileFallsBackToTheBuiltInScript) {
    const std::string name = "kelvox2-skin-" + std::to_string(std::random_device{}()) + ".txt";
    const std::string file = (std::filesystem::temp_directory_path() / name).string();
    const char* path = file.c_str();
    {
        std::ofstream(path) << "AddResource c RGBColour 1 2 3\nBackgroundCol 1 2 3\n";  // no Init
    }
    skin = loadSkinFrom(path, effect.get());
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->width(), 665);
    { std::ofstream(path) << "Init 300 200 3\n"; }
    skin = loadSkinFrom(path, effect.get());
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->width(), 300);
    std::remove(path);
    skin = loadSkinFrom(path, effect.get());  // gone: built-in
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->pageCount(), 2);
}

TEST_F(ParserTest, EffectKeepsTheSkinItLoaded) {
    std::unique_ptr<AudioEffect> instance(createEffectInstance(recordingHost));
    auto* e = static_cast<KEffect*>(instance.get());
    ASSERT_TRUE(e->getSkin());
    EXPECT_EQ(e->getSkin()->effect(), e);
    // The editor that shows the skin is offered to the host.
    EXPECT_TRUE(e->getAeffect()->flags & effFlagsHasEditor);
}

}  // namespace
}  // namespace kx::testing
