#include "params/db_param.h"
#include "params/effect_command.h"
#include "params/enum_param.h"
#include "params/number_text.h"
#include "params/range_param.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kx {
namespace {

std::string display(const KParam& p, double normalised, bool withUnits = false, int size = 64) {
    unsigned char slot[8];
    storeSlot(slot, normalised);
    char text[300];
    std::memset(text, 'x', sizeof text);
    if (withUnits)
        p.getDisplayWithUnits(text, size, slot);
    else
        p.getDisplay(text, size, slot);
    return text;
}

double typed(const KParam& p, const char* text, double before = 0.5) {
    unsigned char slot[8];
    storeSlot(slot, before);
    p.setFromText(slot, text);
    return loadSlot(slot);
}

KRangeParam makeRange(double minimum, double maximum, int steps, int decimals = 0, const char* units = "") {
    KRangeParam p;
    p.setRange(minimum, maximum, steps);
    p.setDecimals(decimals);
    p.setUnits(units);
    return p;
}

TEST(RangeParam, MapsTheWorkedValues) {
    KRangeParam detune = makeRange(-99, 99, 198);
    EXPECT_EQ(detune.toReal(0.5), 0.0);
    EXPECT_EQ(detune.toReal(0.25), -49.0);
    KRangeParam attack = makeRange(0.01, 2, 199, 2);
    EXPECT_EQ(attack.toReal(0.0), 0.01);
    EXPECT_EQ(attack.toReal(1.0), 2.0);
    KRangeParam partial = makeRange(1, 6, 5);
    EXPECT_EQ(partial.toReal(0.5), 4.0);  // round(2.5) goes up
}

TEST(RangeParam, NormalisingClampsAndRejectsNaN) {
    KRangeParam p = makeRange(-99, 99, 198);
    EXPECT_EQ(p.toNormalised(-150), 0.0);
    EXPECT_EQ(p.toNormalised(150), 1.0);
    EXPECT_EQ(p.toNormalised(-INFINITY), 0.0);
    EXPECT_EQ(p.toNormalised(INFINITY), 1.0);
    EXPECT_EQ(p.toNormalised(NAN), 0.0);
    EXPECT_EQ(p.toNormalised(0), 0.5);
    // The real side does not clamp: a value outside 0..1 maps outside the range.
    EXPECT_EQ(p.toReal(1.5), 198.0);
}

TEST(RangeParam, QuantiseSnapsToTheGridHalvesUp) {
    KRangeParam p = makeRange(0, 1, 100);
    EXPECT_EQ(p.quantise(0.004), 0.0);
    EXPECT_EQ(p.quantise(0.005), 0.01);
    EXPECT_EQ(p.quantise(1.7), 1.0);
    KRangeParam continuous = makeRange(0, 1, 0);
    EXPECT_EQ(continuous.quantise(0.123), 0.123);
    EXPECT_EQ(continuous.quantise(-0.5), 0.0);
}

TEST(RangeParam, DisplayAndUnits) {
    KRangeParam detune = makeRange(-99, 99, 198, 0, "cents");
    EXPECT_EQ(display(detune, 0.0), "-99");
    EXPECT_EQ(display(detune, 0.0, true), "-99 cents");
    KRangeParam partial = makeRange(1, 6, 5);
    EXPECT_EQ(display(partial, 1.0, true), "6");  // no trailing blank without units
    KRangeParam attack = makeRange(0.01, 2, 199, 2, "s");
    EXPECT_EQ(display(attack, 1.0, true), "2.00 s");
    // Units never run past the buffer: "2.00 s" cut to 5 bytes.
    EXPECT_EQ(display(attack, 1.0, true, 5), "2.00");
    EXPECT_EQ(display(attack, 1.0, true, 6), "2.00 ");
}

TEST(RangeParam, TypedTextIsReadInUnitsAndClamped) {
    KRangeParam p = makeRange(-99, 99, 198, 0, "cents");
    EXPECT_EQ(typed(p, "  12.5 cents "), (12.5 + 99) / 198);
    EXPECT_EQ(typed(p, "  12.5abc", 0.25), 0.25);  // no unit of its: kept
    EXPECT_EQ(typed(p, "letters", 0.25), 0.25);
    EXPECT_EQ(typed(p, "INF"), 1.0);
    EXPECT_EQ(typed(p, "-inf"), 0.0);
    EXPECT_EQ(typed(p, "1e9"), 1.0);
}

TEST(DbParam, MapsGainToDecibelsCutToDecimals) {
    KdBParam p;
    p.setDecimals(1);
    p.setUnits("dB");
    EXPECT_EQ(p.toReal(0.5), -6.0);
    EXPECT_EQ(p.toReal(1.0), 0.0);
    EXPECT_EQ(p.toReal(0.0), -INFINITY);
    EXPECT_EQ(display(p, 1.0, true), "0.0 dB");
    EXPECT_EQ(display(p, 0.0, true), "-Inf dB");
    EXPECT_EQ(display(p, 0.0), "-Inf");
    // Halves move away from zero before truncation: -6.0206 -> -6.0, -0.96 -> -1.0.
    EXPECT_EQ(p.toReal(std::pow(10.0, -0.96 / 20)), -1.0);
}

TEST(DbParam, NormalisesDecibelsToClampedGain) {
    KdBParam p;
    p.setDecimals(1);
    p.setDefaultReal(-12.5);
    EXPECT_NEAR(p.getDefault(), 0.23713737056616552, 1e-16);
    EXPECT_EQ(p.toNormalised(-INFINITY), 0.0);
    EXPECT_EQ(p.toNormalised(INFINITY), 1.0);
    EXPECT_EQ(p.toNormalised(6.0), 1.0);
    EXPECT_EQ(p.toNormalised(NAN), 0.0);
}

TEST(DbParam, ExtremeStoredValuesStayDefined) {
    KdBParam p;
    p.setDecimals(20);  // scale 1e20: no 32-bit integer holds the product
    double r = p.toReal(1e300);
    EXPECT_TRUE(std::isfinite(r));
    EXPECT_NEAR(r, 6000.0, 1e-6);
    EXPECT_TRUE(std::isnan(p.toReal(-1.0)));
    EXPECT_EQ(display(p, -1.0), "-Inf");
}

KEnumParam makeEnum(int n) {
    static const char* const names[] = {"Sine", "Triangle", "Square", "Rising", "Falling", "Random"};
    KEnumParam p;
    p.setEntryCount(n);
    for (int i = 0; i < n; ++i)
        p.setEntry(i, names[i]);
    return p;
}

TEST(EnumParam, SelectsEntriesByRoundedIndex) {
    KEnumParam six = makeEnum(6);
    EXPECT_EQ(display(six, 0.1), "Triangle");
    EXPECT_EQ(display(six, 0.09), "Sine");
    KEnumParam four = makeEnum(4);
    EXPECT_EQ(display(four, 0.5), "Square");
    EXPECT_EQ(four.toNormalised(1), 1.0 / 3);
    EXPECT_EQ(four.toNormalised(7), 1.0);
}

TEST(EnumParam, OutOfRangeValuesShowTheNearestEntry) {
    KEnumParam p = makeEnum(4);
    EXPECT_EQ(display(p, -3.0), "Sine");
    EXPECT_EQ(display(p, 1.4), "Rising");
    EXPECT_EQ(display(p, 1e300), "Rising");
    EXPECT_EQ(display(p, NAN), "Sine");
    KEnumParam empty;
    EXPECT_EQ(display(empty, 0.5), "");
}

TEST(EnumParam, TypedNamesMatchWholeIgnoringCase) {
    KEnumParam p = makeEnum(4);
    EXPECT_EQ(typed(p, "square", 0.0), 2.0 / 3);
    EXPECT_EQ(typed(p, "Squ", 0.0), 2.0 / 3);  // the one entry it starts
    EXPECT_EQ(typed(p, "s", 0.0), 0.0);        // three do: kept
    EXPECT_EQ(typed(p, "2", 0.0), 0.0);        // no number selects an entry
    EXPECT_EQ(typed(p, "", 0.25), 0.25);
    EXPECT_EQ(typed(p, nullptr, 0.25), 0.25);
}

TEST(EnumParam, EntryNamesAreCutToTwentyCharacters) {
    KEnumParam p;
    p.setEntryCount(2);
    p.setEntry(0, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_STREQ(p.getEntry(0), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_STREQ(p.getEntry(1), "");
    EXPECT_STREQ(p.getEntry(2), "");
    p.setEntryCount(3);  // a new count clears every entry
    EXPECT_STREQ(p.getEntry(0), "");
}

TEST(NamedObject, ParameterNamesKeepEightCharactersCommandsThirtyFive) {
    KRangeParam p;
    EXPECT_STREQ(p.getName(), "");
    p.setName("LongerName12");
    EXPECT_STREQ(p.getName(), "LongerNa");
    EXPECT_TRUE(p.isNamed("LongerNa"));
    EXPECT_TRUE(p.isNamed("LongerName12"));  // only the first 8 characters count
    EXPECT_FALSE(p.isNamed("longerna"));
    EXPECT_FALSE(p.isNamed(nullptr));
    KEffectCommand c("LongerName12", 3);
    EXPECT_STREQ(c.getName(), "LongerName12");
    EXPECT_FALSE(c.isNamed("LongerName1"));
    EXPECT_TRUE(c.isNamedOfClass("LongerName12", "KEffectCommand"));
    EXPECT_FALSE(c.isNamedOfClass("LongerName12", "KRangeParam"));
    EXPECT_TRUE(p.isClass("KRangeParam"));
    EXPECT_FALSE(p.isClass("krangeparam"));
}

TEST(NumberText, FormatsFixedPointAndInfinities) {
    char text[64];
    formatValue(text, sizeof text, -99, 0);
    EXPECT_STREQ(text, "-99");
    formatValue(text, sizeof text, 1.0 / 3, 25);
    EXPECT_STREQ(text, "0.33333333333333331483");
    formatValue(text, sizeof text, 2.5, -3);
    EXPECT_STREQ(text, "2");  // the C library rounds halves to even
    formatValue(text, sizeof text, -INFINITY, 2);
    EXPECT_STREQ(text, "-Inf");
    formatValue(text, sizeof text, NAN, 2);
    EXPECT_STREQ(text, "-Inf");
    formatValue(text, sizeof text, INFINITY, 2);
    EXPECT_STREQ(text, "Inf");
    formatValue(text, 4, 12345.0, 0);
    EXPECT_STREQ(text, "123");
    formatValue(text, 3, -INFINITY, 0);
    EXPECT_STREQ(text, "-I");
    text[0] = 'x';
    formatValue(text, 1, 5.0, 0);
    EXPECT_STREQ(text, "");
}

TEST(NumberText, ReadsNumbersLikeAtofAndInfinitiesInAnyCase) {
    EXPECT_EQ(readNumber("  12.5kg"), 12.5);
    EXPECT_EQ(readNumber("abc"), 0.0);
    EXPECT_EQ(readNumber(nullptr), 0.0);
    EXPECT_EQ(readNumber("iNf"), INFINITY);
    EXPECT_EQ(readNumber("-INF"), -INFINITY);
    EXPECT_EQ(readNumber("-3e2"), -300.0);
}

}  // namespace
}  // namespace kx
