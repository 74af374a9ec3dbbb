// Programs and chunks as a host stores and restores them.
#include "plugin_fixture.h"

namespace kx::e2e {
namespace {

TEST_F(PluginTest, TenProgramsNamedDefaults) {
    EXPECT_EQ(host.numPrograms(), 10);
    EXPECT_EQ(host.getProgram(), 0);
    for (int p = 0; p < 10; ++p) {
        std::string name;
        EXPECT_TRUE(host.programNameIndexed(p, &name));
        EXPECT_EQ(name, "Defaults");
    }
}

TEST_F(PluginTest, ProgramIndicesOutsideTheBankAreRefused) {
    for (int p : {10, -1, 1 << 30}) {
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, p, 0, buffer), 0) << p;
        EXPECT_EQ(buffer[0], '\0');
    }
}

TEST_F(PluginTest, SwitchingProgramsSwitchesValuesAndNames) {
    host.setProgram(12);
    EXPECT_EQ(host.getProgram(), 0);
    host.setProgram(-1);
    EXPECT_EQ(host.getProgram(), 0);
    host.setProgram(3);
    EXPECT_EQ(host.getProgram(), 3);
    host.setProgramName("Fat bass");
    host.setParameter(26, 0.5f);
    EXPECT_EQ(host.paramDisplay(26), "50");
    host.setProgram(4);
    EXPECT_EQ(host.programName(), "Defaults");
    EXPECT_EQ(host.paramDisplay(26), "0");
    host.setProgram(3);
    EXPECT_EQ(host.programName(), "Fat bass");
    EXPECT_EQ(host.paramDisplay(26), "50");
    std::string name;
    host.programNameIndexed(3, &name);
    EXPECT_EQ(name, "Fat bass");
}

TEST_F(PluginTest, ProgramNamesAreCutAndEmptyNamesIgnored) {
    host.setProgramName("");
    EXPECT_EQ(host.programName(), "Defaults");
    host.setProgramName("123456789012345678901234567890");
    EXPECT_EQ(host.programName(), "123456789012345678901234");
}

TEST_F(PluginTest, PresetChunkIsTheCurrentRecord) {
    host.setProgram(2);
    host.setProgramName("Lead");
    host.setParameter(1, 0.75f);
    std::vector<uint8_t> preset = host.getChunk(true);
    ASSERT_EQ(preset.size(), 265u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(preset.data())), "Lead");
    // The old name's characters remain after the new terminator.
    EXPECT_EQ(std::memcmp(preset.data(), "Lead\0lts\0", 9), 0);
    EXPECT_EQ(slotValue(preset, 0, 1), 0.75);
    EXPECT_EQ(slotValue(preset, 0, 6), 1.0);
    // Slot 29 at offset 25 + 8 * 29 = 257, little-endian.
    double mainLevel;
    std::memcpy(&mainLevel, preset.data() + 257, 8);
    EXPECT_EQ(mainLevel, 0.23713737056616552);
}

TEST_F(PluginTest, BankChunkHoldsAllTenRecords) {
    host.setProgram(7);
    host.setParameter(24, 1.0f);
    std::vector<uint8_t> bank = host.getChunk(false);
    ASSERT_EQ(bank.size(), 2650u);
    EXPECT_EQ(slotValue(bank, 7 * 265, 24), 1.0);
    EXPECT_EQ(slotValue(bank, 6 * 265, 24), 3.0 / 31);
    for (int p = 0; p < 10; ++p)
        EXPECT_STREQ(reinterpret_cast<const char*>(bank.data() + p * 265), "Defaults");
}

TEST_F(PluginTest, ChunksRestoreValuesNamesAndTexts) {
    std::vector<uint8_t> bank = host.getChunk(false);
    std::memcpy(bank.data() + 5 * 265, "Pad", 4);
    double full = 1.0;
    std::memcpy(bank.data() + 5 * 265 + 25 + 8 * 26, &full, 8);
    EXPECT_EQ(host.setChunk(bank, false), 2650);
    host.setProgram(5);
    EXPECT_EQ(host.programName(), "Pad");
    EXPECT_EQ(host.paramDisplay(26), "100");

    std::vector<uint8_t> preset = host.getChunk(true);
    host.setProgram(1);
    EXPECT_EQ(host.setChunk(preset, true), 265);
    EXPECT_EQ(host.programName(), "Pad");
    EXPECT_EQ(host.paramDisplay(26), "100");
    host.setProgram(0);
    EXPECT_EQ(host.paramDisplay(26), "0");
}

TEST_F(PluginTest, ShortChunksAreRefusedWhole) {
    std::vector<uint8_t> before = host.getChunk(false);
    std::vector<uint8_t> garbage(2649, 0xFF);
    EXPECT_EQ(host.setChunk(garbage, false), 0);
    EXPECT_EQ(host.setChunk(garbage.data(), 264, true), 0);
    EXPECT_EQ(host.setChunk(garbage.data(), 0, true), 0);
    EXPECT_EQ(host.setChunk(nullptr, 2650, false), 0);
    EXPECT_EQ(host.dispatch(effSetChunk, 0, -1, garbage.data()), 0);
    EXPECT_EQ(host.getChunk(false), before);
    EXPECT_EQ(host.dispatch(effGetChunk, 0, 0, nullptr), 0);
    // A longer chunk gives its first bank's worth.
    std::vector<uint8_t> longer = before;
    longer.resize(4000, 0xAB);
    EXPECT_EQ(host.setChunk(longer, false), 2650);
}

}  // namespace
}  // namespace kx::e2e
