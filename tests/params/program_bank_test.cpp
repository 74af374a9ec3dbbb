#include "params/program_bank.h"
#include "params/db_param.h"
#include "params/enum_param.h"
#include "params/range_param.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kx {
namespace {

class ProgramBankTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* range = new KRangeParam;
        range->setName("Detune");
        range->setUnits("cents");
        range->setRange(-99, 99, 198);
        range->setDefaultReal(10);
        params.add(range);
        auto* gain = new KdBParam;
        gain->setName("Noise");
        gain->setUnits("dB");
        gain->setDecimals(1);
        params.add(gain);
        auto* choice = new KEnumParam;
        choice->setName("Wave");
        choice->setEntryCount(2);
        choice->setEntry(0, "Sine");
        choice->setEntry(1, "Square");
        choice->setDefault(1.0);
        params.add(choice);
        bank.build(&params);
    }

    KParamList params;
    KProgramBank bank;
};

TEST_F(ProgramBankTest, LaysRecordsOutBackToBack) {
    EXPECT_EQ(bank.getProgramCount(), 10);
    EXPECT_EQ(bank.getParamCount(), 3);
    EXPECT_EQ(bank.getRecordSize(), 25 + 3 * 8);
    EXPECT_EQ(bank.getTotalSize(), 10 * 49);
    EXPECT_EQ(bank.slotOf(0, 0), bank.record(0) + 25);
    EXPECT_EQ(bank.slotOf(0, 2), bank.record(0) + 41);
    EXPECT_EQ(bank.slotOf(3, 1), bank.record(0) + 3 * 49 + 33);
    EXPECT_EQ(bank.slotOf(10, 0), nullptr);
    EXPECT_EQ(bank.slotOf(0, 3), nullptr);
    EXPECT_EQ(bank.slotOf(-1, 0), nullptr);
}

TEST_F(ProgramBankTest, BuildResetsEveryProgramToDefaults) {
    for (int p = 0; p < 10; ++p) {
        EXPECT_STREQ(bank.programName(p), "Defaults");
        // Bytes after the name's terminator are zero in a new bank.
        for (int b = 9; b < 25; ++b)
            EXPECT_EQ(bank.record(p)[b], 0);
        EXPECT_DOUBLE_EQ(loadSlot(bank.slotOf(p, 0)), 109.0 / 198);
        EXPECT_STREQ(bank.valueText(p, 0), "10");
        EXPECT_STREQ(bank.unitText(p, 0), "10 cents");
        EXPECT_STREQ(bank.valueText(p, 1), "-Inf");
        EXPECT_STREQ(bank.unitText(p, 1), "-Inf dB");
        EXPECT_STREQ(bank.valueText(p, 2), "Square");
    }
    EXPECT_STREQ(bank.valueText(10, 0), "");
    EXPECT_STREQ(bank.programName(10), "");
}

TEST_F(ProgramBankTest, RenamingKeepsOlderCharactersAfterTheTerminator) {
    bank.setProgramName(2, "Bass");
    EXPECT_STREQ(bank.programName(2), "Bass");
    EXPECT_EQ(std::memcmp(bank.record(2), "Bass\0lts", 9), 0);
    bank.setProgramName(2, "A name of thirty characters!!");
    EXPECT_STREQ(bank.programName(2), "A name of thirty charact");
    bank.setProgramName(2, nullptr);
    EXPECT_STREQ(bank.programName(2), "A name of thirty charact");
}

TEST_F(ProgramBankTest, TextEntryStoresAndRefreshesOnlyThatEntry) {
    bank.setFromText(4, 0, "-99");
    EXPECT_EQ(loadSlot(bank.slotOf(4, 0)), 0.0);
    EXPECT_STREQ(bank.unitText(4, 0), "-99 cents");
    EXPECT_STREQ(bank.unitText(3, 0), "10 cents");
    bank.setFromText(4, 2, "sine");
    EXPECT_STREQ(bank.valueText(4, 2), "Sine");
    bank.setFromText(11, 0, "5");  // outside the bank: nothing happens
}

TEST_F(ProgramBankTest, RawRecordChangesShowAfterRefresh) {
    storeSlot(bank.slotOf(7, 1), 1.0);
    EXPECT_STREQ(bank.valueText(7, 1), "-Inf");
    bank.refreshAllTexts();
    EXPECT_STREQ(bank.valueText(7, 1), "0.0");
}

}  // namespace
}  // namespace kx
