// The funnel every control edits through: what the host hears, in order,
// for each kind of change.
#include "controls/param_edit.h"
#include "skin/skin_fixture.h"

namespace kx::testing {
namespace {

class ParamEditTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        index = param("Detune1");
        setValue("Detune1", 0.25);
        hostCalls().clear();
    }
    int index = -1;
};

TEST_F(ParamEditTest, AJumpTellsTheHostTheValueBeforeAndAfter) {
    KParamEdit(effect.get(), index).jump(0.75);
    ASSERT_EQ(hostCalls(), (std::vector<HostCall>{automate(index), automate(index)}));
    EXPECT_FLOAT_EQ(hostCalls()[0].value, 0.25f);
    EXPECT_FLOAT_EQ(hostCalls()[1].value, 0.75f);
    EXPECT_DOUBLE_EQ(value("Detune1"), 0.75);
}

TEST_F(ParamEditTest, AJumpWithItsOwnChangeIsReportedTheSameWay) {
    KParamEdit edit(effect.get(), index);
    edit.jumpWith([&] { effect->setParameterValue(index, 0.5); });
    ASSERT_EQ(hostCalls().size(), 2u);
    EXPECT_FLOAT_EQ(hostCalls()[0].value, 0.25f);
    EXPECT_FLOAT_EQ(hostCalls()[1].value, 0.5f);
}

TEST_F(ParamEditTest, ADragStepReportsOnlyTheValueItReached) {
    KParamEdit edit(effect.get(), index);
    edit.begin();
    edit.report();
    edit.step(0.3);
    edit.step(0.35);
    edit.end();
    ASSERT_EQ(hostCalls(),
              (std::vector<HostCall>{begin(index), automate(index), automate(index), automate(index), end(index)}));
    EXPECT_FLOAT_EQ(hostCalls()[1].value, 0.25f);
    EXPECT_FLOAT_EQ(hostCalls()[2].value, 0.3f);
    EXPECT_FLOAT_EQ(hostCalls()[3].value, 0.35f);
}

TEST_F(ParamEditTest, ReadsTheCurrentProgramAndTheDefault) {
    KParamEdit edit(effect.get(), index);
    EXPECT_DOUBLE_EQ(edit.value(), 0.25);
    EXPECT_DOUBLE_EQ(edit.defaultValue(), effect->getParam(index)->getDefault());
    EXPECT_EQ(edit.param(), index);
}

TEST_F(ParamEditTest, WithoutAnEffectOrOutsideTheListNothingIsSentOrStored) {
    KParamEdit none(nullptr, index);
    none.begin();
    none.jump(1);
    none.step(1);
    none.end();
    EXPECT_EQ(none.value(), 0.0);
    KParamEdit outside(effect.get(), 1000);
    outside.step(1);
    EXPECT_EQ(outside.value(), 0.0);
    EXPECT_DOUBLE_EQ(value("Detune1"), 0.25);
    // The host still hears of the index it was given, with the value 0 that
    // an index outside the list reads as.
    ASSERT_EQ(hostCalls().size(), 1u);
    EXPECT_EQ(hostCalls()[0].value, 0.0f);
}

}  // namespace
}  // namespace kx::testing
