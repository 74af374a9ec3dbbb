// The 30 parameters as a host sees them: names, labels, display texts at
// their defaults and at the ends of their ranges, typed values, and the
// answers to indices and values outside the table.
#include "plugin_fixture.h"

#include <algorithm>
#include <cmath>

namespace kx::e2e {
namespace {

struct Row {
    const char* name;
    const char* label;
    const char* atDefault;
    const char* atZero;
    const char* atOne;
    double storedDefault;
};

const Row kTable[30] = {
    {"Wave1", "", "Sine", "Sine", "Sawtooth", 0.0},
    {"Detune1", "cents", "0", "-99", "99", 0.5},
    {"Attk1", "s", "0.01", "0.01", "2.00", 0.0},
    {"Rel1", "s", "0.01", "0.01", "2.00", 0.0},
    {"Porta1", "s", "0.00", "0.00", "1.00", 0.0},
    {"Noise1", "dB", "-Inf", "-Inf", "0.0", 0.0},
    {"Level1", "dB", "0.0", "-Inf", "0.0", 1.0},
    {"Wave2", "", "Sine", "Sine", "Sawtooth", 0.0},
    {"Partial2", "", "1", "1", "6", 0.0},
    {"Detune2", "cents", "0", "-99", "99", 0.5},
    {"Attk2", "s", "0.01", "0.01", "2.00", 0.0},
    {"Rel2", "s", "0.01", "0.01", "2.00", 0.0},
    {"Porta2", "s", "0.00", "0.00", "1.00", 0.0},
    {"Noise2", "dB", "-Inf", "-Inf", "0.0", 0.0},
    {"Level2", "dB", "0.0", "-Inf", "0.0", 1.0},
    {"Wave3", "", "Sine", "Sine", "Sawtooth", 0.0},
    {"Partial3", "", "1", "1", "6", 0.0},
    {"Detune3", "cents", "0", "-99", "99", 0.5},
    {"Attk3", "s", "0.01", "0.01", "2.00", 0.0},
    {"Rel3", "s", "0.01", "0.01", "2.00", 0.0},
    {"Porta3", "s", "0.00", "0.00", "1.00", 0.0},
    {"Noise3", "dB", "-Inf", "-Inf", "0.0", 0.0},
    {"Level3", "dB", "0.0", "-Inf", "0.0", 1.0},
    {"LFOWave", "", "Sine", "Sine", "Random", 0.0},
    {"LFOFreq", "per bar", "4", "1", "32", 3.0 / 31},
    {"LFOPhase", "deg", "0", "0", "359", 0.0},
    {"LFODepth", "%", "0", "0", "100", 0.0},
    {"PortaRst", "s", "2.0", "0.1", "5.0", (2 - 0.1) / (5 - 0.1)},
    {"PtchBend", "semis", "2.0", "0.0", "12.0", 2.0 / 12},
    {"MainLvl", "dB", "-12.5", "-Inf", "0.0", 0.23713737056616552},
};

TEST_F(PluginTest, NamesLabelsAndDefaultsOfAllThirtyParameters) {
    ASSERT_EQ(host.numParams(), 30);
    std::vector<uint8_t> preset = host.getChunk(true);
    ASSERT_EQ(preset.size(), 265u);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(kTable[i].name);
        EXPECT_EQ(host.paramName(i), kTable[i].name);
        EXPECT_EQ(host.paramLabel(i), kTable[i].label);
        EXPECT_EQ(host.paramDisplay(i), kTable[i].atDefault);
        EXPECT_DOUBLE_EQ(slotValue(preset, 0, i), kTable[i].storedDefault);
        EXPECT_EQ(host.getParameter(i), static_cast<float>(kTable[i].storedDefault));
        EXPECT_TRUE(host.canBeAutomated(i));
    }
    EXPECT_EQ(slotValue(preset, 0, 29), 0.23713737056616552);  // exactly 10^-0.625
}

TEST_F(PluginTest, DisplayTextsAtTheEndsOfEveryRange) {
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(kTable[i].name);
        host.setParameter(i, 0.0f);
        EXPECT_EQ(host.paramDisplay(i), kTable[i].atZero);
        host.setParameter(i, 1.0f);
        EXPECT_EQ(host.paramDisplay(i), kTable[i].atOne);
        EXPECT_EQ(host.getParameter(i), 1.0f);
    }
}

TEST_F(PluginTest, DisplayTextsBetweenTheEnds) {
    host.setParameter(8, 0.5f);  // Partial2: round(2.5) goes up
    EXPECT_EQ(host.paramDisplay(8), "4");
    host.setParameter(1, 0.25f);  // Detune1
    EXPECT_EQ(host.paramDisplay(1), "-49");
    host.setParameter(6, 0.5f);  // Level1: -6.0206 dB cut to one decimal
    EXPECT_EQ(host.paramDisplay(6), "-6.0");
    host.setParameter(23, 0.1f);  // LFOWave: 0.5 + 0.5 floors to entry 1
    EXPECT_EQ(host.paramDisplay(23), "Triangle");
    host.setParameter(23, 0.09f);
    EXPECT_EQ(host.paramDisplay(23), "Sine");
    host.setParameter(0, 0.5f);  // Wave1: 4 entries, 0.5 selects entry 2
    EXPECT_EQ(host.paramDisplay(0), "Square");
    host.setParameter(25, 1.0f);
    EXPECT_EQ(host.paramDisplay(25), "359");
}

TEST_F(PluginTest, TypedValuesAreReadInUnits) {
    EXPECT_TRUE(host.string2parameter(1, "12"));
    EXPECT_EQ(host.paramDisplay(1), "12");
    EXPECT_TRUE(host.string2parameter(1, "  -40 cents"));
    EXPECT_EQ(host.paramDisplay(1), "-40");
    EXPECT_TRUE(host.string2parameter(1, "500"));
    EXPECT_EQ(host.paramDisplay(1), "99");
    EXPECT_TRUE(host.string2parameter(2, "INF"));
    EXPECT_EQ(host.paramDisplay(2), "2.00");
    EXPECT_FALSE(host.string2parameter(2, "no number"));  // nothing read: kept
    EXPECT_EQ(host.paramDisplay(2), "2.00");
    EXPECT_TRUE(host.string2parameter(29, "-6"));
    EXPECT_EQ(host.paramDisplay(29), "-6.0");
    EXPECT_TRUE(host.string2parameter(29, "-inf"));
    EXPECT_EQ(host.paramDisplay(29), "-Inf");
    EXPECT_TRUE(host.string2parameter(0, "square"));
    EXPECT_EQ(host.paramDisplay(0), "Square");
    EXPECT_TRUE(host.string2parameter(0, "Sa"));  // the one entry it starts
    EXPECT_EQ(host.paramDisplay(0), "Sawtooth");
    EXPECT_FALSE(host.string2parameter(0, "S"));  // Sine, Square or Sawtooth: kept
    EXPECT_EQ(host.paramDisplay(0), "Sawtooth");
    EXPECT_TRUE(host.string2parameter(23, "FALLING"));
    EXPECT_EQ(host.paramDisplay(23), "Falling");
    EXPECT_FALSE(host.string2parameter(30, "1"));
    EXPECT_FALSE(host.string2parameter(-1, "1"));
}

TEST_F(PluginTest, TypedWordsAndUnitsAreReadAsAMusicianMeansThem) {
    struct Case {
        int index;
        float before;
        const char* typed;
        bool read;  // what effString2Parameter answers
        const char* shows;
    };
    const Case cases[] = {
        {5, 0.5f, "off", true, "-Inf"},         // Noise1: silence, not full noise
        {29, 0.5f, "-inf dB", true, "-Inf"},    // MainLvl
        {6, 0.5f, "mute", false, "-6.0"},       // Level1: kept, not 0 dB
        {28, 0.5f, "abc", false, "6.0"},        // PtchBend: kept, not 0 semis
        {28, 0.5f, "150 cents", true, "1.5"},   // PtchBend in cents
        {10, 0.5f, "200 ms", true, "0.20"},     // Attk2: not 200 s clamped to 2.00
        {15, 0.0f, "saw", true, "Sawtooth"},    // Wave3: a unique start
        {15, 0.0f, "s", false, "Sine"},         // Sine, Square or Sawtooth
        {1, 0.5f, "-1 semitone", true, "-99"},  // Detune1: -100 cents, clamped
        {26, 0.0f, "50 %", true, "50"},         // LFODepth
        {4, 0.5f, "off", false, "0.50"},        // Porta1 has no silence
        {2, 0.5f, "1 kg", false, "1.01"},       // Attk1: a unit of no kind of its
        {2, 0.5f, "2 Hz", false, "1.01"},       // nor one of another kind
    };
    for (const Case& c : cases) {
        host.setParameter(c.index, c.before);
        EXPECT_EQ(host.string2parameter(c.index, c.typed), c.read) << c.typed;
        EXPECT_EQ(host.paramDisplay(c.index), c.shows) << c.typed;
    }
}

TEST_F(PluginTest, EnumerationsOutsideZeroToOneShowTheNearestEntry) {
    host.setParameter(0, 1.5f);
    EXPECT_EQ(host.paramDisplay(0), "Sawtooth");
    host.setParameter(0, -0.7f);
    EXPECT_EQ(host.paramDisplay(0), "Sine");
    host.setParameter(23, 1e30f);
    EXPECT_EQ(host.paramDisplay(23), "Random");
    // Values outside 0..1 are stored as they come; not-a-number is refused.
    EXPECT_EQ(host.getParameter(0), -0.7f);
    host.setParameter(0, NAN);
    EXPECT_EQ(host.getParameter(0), -0.7f);
}

TEST_F(PluginTest, IndicesOutsideTheTableAnswerEmpty) {
    for (int i : {-1, 30, 1000, -100000}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(host.paramName(i), "");
        EXPECT_EQ(host.paramLabel(i), "");
        EXPECT_EQ(host.paramDisplay(i), "");
        EXPECT_EQ(host.getParameter(i), 0.0f);
        host.setParameter(i, 0.5f);
    }
    std::vector<uint8_t> before = host.getChunk(false);
    host.setParameter(30, 0.5f);
    EXPECT_EQ(host.getChunk(false), before);
}

// Ardour shows a value as the display text, a space and the unit label (cut
// to two characters fewer than the display has: "2.0 s" for 2.0 semis), and
// takes a parameter-properties label, when one is given, as the parameter's
// name. The properties stay unanswered and untouched, so every host keeps the
// names and units that the name and label requests give.
TEST_F(PluginTest, ParameterPropertiesLeaveNamesAndUnitsToTheirRequests) {
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(kTable[i].name);
        VstParameterProperties properties;
        std::memset(&properties, 0x5A, sizeof properties);
        EXPECT_EQ(host.dispatch(effGetParameterProperties, i, 0, &properties), 0);
        const auto* bytes = reinterpret_cast<const unsigned char*>(&properties);
        EXPECT_EQ(std::count(bytes, bytes + sizeof properties, 0x5A), static_cast<long>(sizeof properties));
        EXPECT_EQ(host.paramName(i) + "|" + host.paramLabel(i), std::string(kTable[i].name) + "|" + kTable[i].label);
    }
}

TEST_F(PluginTest, TextRequestsStayWithinTheirLimits) {
    // The host's buffers are filled with a marker; only name + terminator may change.
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    host.dispatch(effGetParamName, 25, 0, buffer);  // "LFOPhase": exactly 8 characters
    EXPECT_STREQ(buffer, "LFOPhase");
    EXPECT_EQ(buffer[9], '#');
    std::memset(buffer, '#', sizeof buffer);
    host.dispatch(effGetProgramName, 0, 0, buffer);
    EXPECT_STREQ(buffer, "Defaults");
    EXPECT_EQ(buffer[9], '#');
}

}  // namespace
}  // namespace kx::e2e
