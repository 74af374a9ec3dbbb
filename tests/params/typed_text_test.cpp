#include "params/typed_text.h"

#include "params/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace kx {
namespace {

const char* const kWaves[] = {"Sine", "Triangle", "Square", "Sawtooth"};
const char* const kDivisions[] = {"1/4", "1/8", "Off"};

ValueDescription numbers(const char* units, double low, double high) {
    ValueDescription d;
    d.units = units;
    d.numeric = true;
    d.low = low;
    d.high = high;
    return d;
}

template <int N>
ValueDescription withChoices(ValueDescription d, const char* const (&names)[N]) {
    d.choiceCount = N;
    d.owner = names;
    d.choice = [](const void* owner, int i) { return static_cast<const char* const*>(owner)[i]; };
    return d;
}

TEST(TypedText, ReadsNumbersUnitsSilenceAndChoicesAsAMusicianTypesThem) {
    const ValueDescription seconds = numbers("s", 0.01, 2.0);
    const ValueDescription cents = numbers("cents", -99, 99);
    const ValueDescription semis = numbers("semis", 0, 12);
    const ValueDescription gain = numbers("dB", -INFINITY, 0.0);
    const ValueDescription percent = numbers("%", 0, 100);
    const ValueDescription unitless = numbers("", 1, 6);
    const ValueDescription waves = withChoices(ValueDescription{}, kWaves);
    // A numeric range whose far end shows a word, as foreign plug-ins have.
    const ValueDescription divisions = withChoices(numbers("", 0, 8), kDivisions);

    struct Case {
        const ValueDescription& d;
        const char* typed;
        TypedValue::Kind kind;
        double number;  // or the choice's index
    };
    const TypedValue::Kind N = TypedValue::kNumber, C = TypedValue::kChoice, U = TypedValue::kUnread,
                           A = TypedValue::kAmbiguous;
    const Case cases[] = {
        {seconds, "0.5", N, 0.5},
        {seconds, " 500ms ", N, 0.5},
        {seconds, "200 MS", N, 0.2},
        {seconds, "1.5 s", N, 1.5},
        {seconds, "3 sec", N, 3},  // not clamped: the caller clamps
        {seconds, "2 Hz", U, 0},   // a unit of another kind
        {seconds, "500kg", U, 0},  // no unit known
        {seconds, "12.5abc", U, 0},
        {seconds, "ms", U, 0},
        {seconds, "off", U, 0},  // no silence in a time
        {cents, "-1 semitone", N, -100},
        {cents, "12.5 cents", N, 12.5},
        {cents, "0.5 st", N, 50},
        {semis, "-50 cents", N, -0.5},
        {semis, "abc", U, 0},
        {gain, "off", N, -INFINITY},
        {gain, "OFF", N, -INFINITY},
        {gain, "-inf", N, -INFINITY},
        {gain, "-Inf dB", N, -INFINITY},
        {gain, "-6 db", N, -6},
        {gain, "mute", U, 0},
        {gain, "nan", U, 0},
        {gain, "Inf", N, INFINITY},
        {percent, "50%", N, 50},
        {percent, "50 percent", N, 50},
        {unitless, "3", N, 3},
        {unitless, "3 s", U, 0},
        {unitless, "", U, 0},
        {unitless, "   ", U, 0},
        {waves, "SAWTOOTH", C, 3},
        {waves, " saw ", C, 3},
        {waves, "tri", C, 1},
        {waves, "s", A, 0},
        {waves, "sq", C, 2},
        {waves, "2", U, 0},  // a choice takes names only
        {waves, "Sinewave", U, 0},
        {divisions, "1/8", C, 1},  // a whole name before a number
        {divisions, "1", N, 1},    // a number before the start of a name
        {divisions, "of", C, 2},
    };
    for (const Case& c : cases) {
        const TypedValue v = readTypedValue(c.d, c.typed);
        EXPECT_EQ(v.kind, c.kind) << "'" << c.typed << "'";
        if (c.kind == N && v.kind == N) {
            EXPECT_EQ(v.number, c.number) << "'" << c.typed << "'";
        }
        if (c.kind == C && v.kind == C) {
            EXPECT_EQ(v.choice, int(c.number)) << "'" << c.typed << "'";
        }
    }
    EXPECT_EQ(readTypedValue(seconds, nullptr).kind, U);
    EXPECT_TRUE(startsName(" SQ", "Square"));
    EXPECT_FALSE(startsName("", "Square"));
}

// Stored values of plain numbers must not move by a bit: reference renders
// and saved projects depend on them.
TEST(TypedText, PlainNumbersReadExactlyAsReadNumberDoes) {
    const ValueDescription d = numbers("cents", -99, 99);
    for (const char* text : {"12.5", "  -40", "0.1", "1e-3", "-0x1.8p3", "99.99999999999999", "1e400", "-INF",
                             "Infinity", "7.", ".25", "\t3\n", "0.30000000000000004"}) {
        const TypedValue v = readTypedValue(d, text);
        ASSERT_EQ(v.kind, TypedValue::kNumber) << text;
        const double expected = readNumber(text);
        EXPECT_EQ(std::memcmp(&v.number, &expected, sizeof expected), 0) << text;
    }
}

}  // namespace
}  // namespace kx
