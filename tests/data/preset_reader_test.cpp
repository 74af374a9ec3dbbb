#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/byte_source.h"
#include "data/preset_reader.h"
#include "instrument/synth_effect.h"
#include "params/number_text.h"

namespace kx {
namespace {

class PresetReader : public ::testing::Test {
protected:
    PresetReader() : effect_(std::make_unique<SynthEffect>(nullptr)) {}

    void read(const std::string& text) {
        KMemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        readPresets(effect_->getBank(), &source);
    }
    KProgramBank& bank() { return effect_->getBank(); }
    std::string name(int program) { return bank().programName(program); }
    double value(int program, int index) { return effect_->getParam(index)->getValue(bank().slotOf(program, index)); }
    double real(int program, int index) {
        return effect_->getParam(index)->getRealValue(bank().slotOf(program, index));
    }
    std::string text(int program, int index) { return bank().valueText(program, index); }
    // The whole bank as the host would store it.
    std::vector<std::uint8_t> chunk() {
        void* data = nullptr;
        const VstInt32 size = effect_->getChunk(&data, false);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        return std::vector<std::uint8_t>(bytes, bytes + size);
    }

    std::unique_ptr<SynthEffect> effect_;
};

TEST_F(PresetReader, BuiltInFileLeavesTenDefaultPrograms) {
    // The constructor has read the built-in preset file (its header line only).
    ASSERT_EQ(bank().getProgramCount(), 10);
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(name(p), "Defaults") << p;
        for (int i = 0; i < kSynthParamCount; ++i)
            EXPECT_EQ(value(p, i), effect_->getParam(i)->getDefault()) << p << "/" << i;
    }
    EXPECT_EQ(text(9, kMainLvl), "-12.5");
    EXPECT_EQ(text(0, kNoise1), "-Inf");

    const auto before = chunk();
    effect_->loadPresets("kelvox2preset.txt");
    effect_->loadPresets("no such presets.txt");
    effect_->loadPresets(nullptr);
    EXPECT_EQ(chunk(), before);
}

TEST_F(PresetReader, NamesProgramsAndSetsTypedValues) {
    read(
        "# Kelvox2 Presets\r\n"
        "PRESET \"Warm Pad\"\r\n"
        "SETSTR Wave1 Square\r\n"
        "SETSTR Detune1 7\r\n"
        "SETSTR MainLvl -6\r\n"
        "\r\n"
        "PRESET Bright   # second program\r\n"
        "SETSTR Attk2 0.5\r\n"
        "SETSTR LFOWave Random\r\n");
    EXPECT_EQ(name(0), "Warm Pad");
    EXPECT_EQ(name(1), "Bright");
    EXPECT_EQ(name(2), "Defaults");
    EXPECT_DOUBLE_EQ(value(0, kWave1), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(real(0, kDetune1), 7.0);
    EXPECT_DOUBLE_EQ(real(0, kMainLvl), -6.0);
    EXPECT_EQ(text(0, kWave1), "Square");
    EXPECT_EQ(text(0, kDetune1), "7");
    EXPECT_EQ(std::string(bank().unitText(0, kMainLvl)), "-6.0 dB");
    EXPECT_DOUBLE_EQ(real(1, kAttk2), 0.5);
    EXPECT_EQ(text(1, kLFOWave), "Random");
    // Program 0's settings did not leak into program 1.
    EXPECT_EQ(value(1, kWave1), 0.0);
    EXPECT_EQ(value(1, kDetune1), effect_->getParam(kDetune1)->getDefault());
}

TEST_F(PresetReader, StatementsEntriesAndParameterNamesIgnoreCase) {
    read(
        "preset one\n"
        "setstr wave1 sawtooth\n"
        "SetStr MAINLVL -inf\n"
        "SETSTR detune1 500\n"
        "SETSTR Detune2 -500\n"
        "SETSTR PtchBend INF\n");
    EXPECT_EQ(name(0), "one");
    EXPECT_EQ(text(0, kWave1), "Sawtooth");
    EXPECT_EQ(text(0, kMainLvl), "-Inf");
    EXPECT_EQ(value(0, kMainLvl), 0.0);
    EXPECT_DOUBLE_EQ(real(0, kDetune1), 99.0);  // clamped to the range
    EXPECT_DOUBLE_EQ(real(0, kDetune2), -99.0);
    EXPECT_DOUBLE_EQ(real(0, kPtchBend), 12.0);
}

TEST_F(PresetReader, UnreadableValuesAndUnknownNamesChangeOnlyWhatTheySay) {
    read(
        "PRESET p\n"
        "SETSTR Wave2 Square\n"
        "SETSTR Wave2 S\n"            // Sine, Square or Sawtooth: keeps Square
        "SETSTR LFOFreq lots\n"       // no number: keeps 4
        "SETSTR Detune3 12.6cents\n"  // in its unit, snapped to the grid
        "SETSTR NoSuchPar 3\n"
        "SETSTR Wave\n"  // too short
        "SETSTR Wave3 Triangle extra words\n"
        "RESET Wave1 Square\n");
    EXPECT_EQ(text(0, kWave2), "Square");
    EXPECT_DOUBLE_EQ(real(0, kLFOFreq), 4.0);
    EXPECT_DOUBLE_EQ(real(0, kDetune3), 13.0);
    EXPECT_EQ(text(0, kWave3), "Triangle");
    EXPECT_EQ(value(0, kWave1), 0.0);
}

TEST_F(PresetReader, ProgramNamesAreCutAndEmptyNamesKeepDefaults) {
    read(
        "PRESET \"\"\n"
        "SETSTR Detune1 5\n"
        "PRESET \"A name of thirty characters..\"\n"
        "PRESET \"Quoted # hash\"\n");
    EXPECT_EQ(name(0), "Defaults");
    EXPECT_EQ(text(0, kDetune1), "5");  // the empty name still started program 0
    EXPECT_EQ(name(1), "A name of thirty charact");
    EXPECT_EQ(name(2), "Quoted ");  // the comment cut the quoted word
}

TEST_F(PresetReader, LinesBeforeTheFirstProgramAreIgnored) {
    const auto before = chunk();
    read(
        "SETSTR Detune1 5\n"
        "PRESET\n"  // no name word: starts no program
        "SETSTR Detune1 6\n");
    EXPECT_EQ(chunk(), before);

    read(
        "PRESET first\n"
        "PRESET\n"
        "SETSTR Detune1 9\n");
    EXPECT_EQ(text(0, kDetune1), "9");  // still program 0
    EXPECT_EQ(name(1), "Defaults");
}

TEST_F(PresetReader, ProgramsBeyondTheTenthChangeNothing) {
    std::string presets;
    for (int p = 0; p < 10; ++p) {
        const std::string number = std::to_string(p);
        presets.append("PRESET P").append(number).append("\nSETSTR Detune1 ").append(number).append("\n");
    }
    read(presets);
    const auto afterTen = chunk();
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(name(p), std::string("P").append(std::to_string(p)));
        EXPECT_EQ(text(p, kDetune1), std::to_string(p));
    }

    // An eleventh and a twelfth program in one more text: names and values
    // of the ten stay as they were.
    read(presets + "PRESET Eleven\nSETSTR Detune1 50\nPRESET Twelve\nSETSTR Wave1 Square\n");
    EXPECT_EQ(chunk(), afterTen);

    // Many more PRESET lines do not wrap the program counter around.
    std::string many = presets;
    for (int i = 0; i < 5000; ++i)
        many += "PRESET x\n";
    many += "SETSTR Detune1 77\n";
    read(many);
    EXPECT_EQ(chunk(), afterTen);
}

}  // namespace
}  // namespace kx
