#include "skin/check.h"
#include "skin/system_clock.h"
#include "skin_fixture.h"

namespace kx::testing {
namespace {

using ConditionTest = SkinTest;

// Four controls per script, one per bracket, so visibility can be read off.
std::string script(const std::string& body) {
    return std::string(kBasicResources) +
           "Init 100 100 1\n"
           "AddCheck hiWave Param Wave1 > 0.5\n"
           "AddCheck loAttk Param attk1 < 1\n"
           "AddCheck always Param Wave1 > -Inf\n" +
           body;
}

std::vector<bool> visible(const KSkin& skin) {
    std::vector<bool> v;
    for (size_t i = 0; i < skin.controlCount(); ++i)
        v.push_back(skin.control(i)->IsVisible());
    return v;
}

TEST_F(ConditionTest, ElseBracketShowsWhileTheCheckFails) {
    ASSERT_TRUE(
        load(script("AddControl 0 0 0 10 10 KUrl a\n"
                    "Condition hiWave\n"
                    "AddControl 0 0 0 10 10 KUrl b\n"
                    "ConditionElse\n"
                    "AddControl 0 0 0 10 10 KUrl c\n"
                    "EndCondition\n"
                    "AddControl 0 0 0 10 10 KUrl d\n")));
    ASSERT_EQ(skin->checkCount(), 3u);
    // Checks compare the value in the parameter's own units, live.
    effect->setParameterReal(param("Wave1"), 0);
    EXPECT_EQ(visible(*skin), (std::vector<bool>{true, false, true, true}));
    effect->setParameterReal(param("Wave1"), 3);
    EXPECT_EQ(visible(*skin), (std::vector<bool>{true, true, false, true}));
}

TEST_F(ConditionTest, NotNegatesOnlyTheNextCheck) {
    ASSERT_TRUE(
        load(script("Condition hiWave Not loAttk\n"
                    "AddControl 0 0 0 10 10 KUrl a\n"
                    "Condition Not\n"  // a trailing Not is a check's name: none here
                    "AddControl 0 0 0 10 10 KUrl b\n")));
    effect->setParameterReal(param("Wave1"), 3);
    setValue("Attk1", 0.0);
    EXPECT_FALSE(skin->control(0)->IsVisible());
    setValue("Attk1", 1.0);
    EXPECT_TRUE(skin->control(0)->IsVisible());
    effect->setParameterReal(param("Wave1"), 0);
    EXPECT_FALSE(skin->control(0)->IsVisible());
    EXPECT_TRUE(skin->control(1)->IsVisible());
}

TEST_F(ConditionTest, EmptySetsAndElseToggles) {
    ASSERT_TRUE(
        load(script("ConditionElse\n"  // no Condition before: hides
                    "AddControl 0 0 0 10 10 KUrl a\n"
                    "Condition nosuch alsonot\n"  // unknown checks: empty set, shown
                    "AddControl 0 0 0 10 10 KUrl b\n"
                    "ConditionElse\nConditionElse\n"  // cancel out
                    "AddControl 0 0 0 10 10 KUrl c\n"
                    "EndCondition\n"
                    "AddControl 0 0 0 10 10 KUrl d\n")));
    EXPECT_EQ(visible(*skin), (std::vector<bool>{false, true, true, true}));
}

TEST_F(ConditionTest, ReferencesAreSharedPerCheckAndNegation) {
    ASSERT_TRUE(load(script("Condition hiWave\nCondition hiWave always\nCondition Not hiWave\n")));
    KCheck* hi = skin->findCheckMutable("hiWave");
    EXPECT_EQ(skin->conditionRef(hi, false), skin->conditionRef(hi, false));
    EXPECT_NE(skin->conditionRef(hi, false), skin->conditionRef(hi, true));
}

TEST_F(ConditionTest, ChecksRejectBadOperatorsAndKinds) {
    ASSERT_TRUE(
        load(script("AddCheck x Param Wave1 => 1\n"
                    "AddCheck y Param NoParam > 1\n"
                    "AddCheck z Colour red\n"
                    "AddCheck io InOut == 0 >= 1\n"
                    "AddCheck io2 InOut == 0 ==\n"
                    "AddCheck io3 InOut == 1 == 1\n")));
    EXPECT_EQ(skin->checkCount(), 5u);
    EXPECT_TRUE(skin->findCheck("io")->Evaluate());  // 0 inputs, 1 output
    EXPECT_FALSE(skin->findCheck("io3")->Evaluate());
}

TEST_F(ConditionTest, DateCheckIsFixedAtLoad) {
    int today = todayMonthDay();
    std::string s = "Init 1 1 1\nAddCheck today Date == " + std::to_string(today / 100) + " " +
                    std::to_string(today % 100) +
                    "\nAddCheck other Date == 13 40\nAddCheck later Date < 99 1\n"
                    "AddCheck huge Date == 2147483647 99\n";
    ASSERT_TRUE(load(s));
    EXPECT_TRUE(skin->findCheck("today")->Evaluate());
    EXPECT_FALSE(skin->findCheck("other")->Evaluate());
    EXPECT_TRUE(skin->findCheck("later")->Evaluate());
    EXPECT_FALSE(skin->findCheck("huge")->Evaluate());
}

TEST_F(ConditionTest, BackgroundsFollowTheirConditions) {
    // Backgrounds without images: a page-0 colour entry can't be made, so use
    // the background colour and check that hidden controls are erased.
    ASSERT_TRUE(
        load(script("Condition hiWave\n"
                    "AddControl 0 10 10 20 20 KPageSelHlt 1 red\n"
                    "EndCondition\n")));
    effect->setParameterReal(param("Wave1"), 3);
    paintNew();
    skin->LeftDown(false, false, 15, 15);  // lit while pressed
    paint();
    EXPECT_EQ(pixel(15, 15), 0xFF0000u);
    effect->setParameterReal(param("Wave1"), 0);  // hidden: erased at the next paint
    paint();
    EXPECT_EQ(pixel(15, 15), 0x000000u);
    // ... and it takes no events while hidden.
    EXPECT_FALSE(skin->LeftUp(false, false, 15, 15));
}

}  // namespace
}  // namespace kx::testing
