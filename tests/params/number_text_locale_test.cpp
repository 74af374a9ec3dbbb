// Number texts are the C locale's, exactly, whatever locale the host has set.
#include "params/db_param.h"
#include "params/number_text.h"
#include "params/range_param.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace kx {
namespace {

std::string formatted(double value, int decimals) {
    char text[400];
    formatValue(text, sizeof text, value, decimals);
    return text;
}

std::string printed(double value, int decimals) {
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

bool sameDouble(double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;  // tells -0 from 0
}

// The test program runs in the C locale (nothing calls setlocale), so the C
// library's own functions are the reference.
TEST(NumberTextInTheCLocale, FormattingMatchesPrintfDigitForDigit) {
    const double special[] = {0.0,
                              -0.0,
                              0.5,
                              1.5,
                              2.5,
                              -2.5,
                              0.125,
                              0.375,
                              1e-7,
                              -1e-7,
                              -0.4,
                              99.995,
                              1e300,
                              -1.7e308,
                              5e-324,
                              1e22,
                              123456789.987654321,
                              0.045,
                              1.005,
                              -12.5,
                              48000.0,
                              0.23713737056616552};
    for (double v : special)
        for (int d = 0; d <= 20; ++d)
            ASSERT_EQ(formatted(v, d), printed(v, d)) << v << " with " << d << " decimals";

    std::mt19937_64 random(13);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v))
            continue;
        // Mostly values of everyday size, some of any size.
        int exponent = 0;
        if (i % 4)
            v = std::ldexp(std::frexp(v, &exponent), int(random() % 80) - 40);
        int d = int(random() % 21);
        ASSERT_EQ(formatted(v, d), printed(v, d)) << std::hexfloat << v << " with " << d << " decimals";
    }
}

TEST(NumberTextInTheCLocale, ReadingMatchesStrtodInValueAndLength) {
    const char* texts[] = {
        "12.5",
        "  12.5kg",
        "\t\n-3e2",
        "+4",
        "-0",
        ".5",
        "5.",
        "1e",
        "1e+",
        "1e+3x",
        "--1",
        "+-1",
        "-+1",
        "-",
        "+",
        "",
        "abc",
        "0x1p3",
        "0x",
        "0xg",
        "0x.8",
        "0x.g",
        "-0x1A",
        "0x1.8p-2",
        "0X1P",
        "inf",
        "-INFINITY",
        "infin",
        "nan",
        "-nan(12)",
        "nan(",
        "1e400",
        "-1e400",
        "1e-400",
        "4e-320",
        "2e-324",
        "3e-324",
        "1e-320",
        "0.000001e-318",
        "100000e303",
        "0x1p1024",
        "0x1p-1080",
        "0x1p-1074",
        "1,5",
        "12 000",
        "\v\f\r7",
        "0e999999999999",
        "1e-99999999999999999999",
        "0.0000000000e400",
        "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207"
        "096330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764"
        "475730270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177"
        "904174497791.9999999999999999999999999999999999999999999999999999999999999999999999",
    };
    for (const char* t : texts) {
        char* strtodEnd = nullptr;
        double expected = std::strtod(t, &strtodEnd);
        // Nothing converted: the C standard's answer is +0, though Windows'
        // C runtime gives -0 after a sign ("--1").
        if (strtodEnd == t)
            expected = 0.0;
        const char* end = nullptr;
        const double got = readNumberPrefix(t, &end);
        EXPECT_TRUE(sameDouble(got, expected)) << '"' << t << "\": " << got << " vs " << expected;
        EXPECT_EQ(end - t, strtodEnd - t) << '"' << t << '"';
    }

    // Whatever printf writes reads back to the same double.
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        char text[64];
        std::snprintf(text, sizeof text, i % 2 ? "%.17g" : "%.6e", v);
        ASSERT_TRUE(sameDouble(readNumberPrefix(text, nullptr), std::strtod(text, nullptr))) << text;
    }
}

TEST(NumberText, TypedNanIsNoNumberAndMinusInfIsSilence) {
    EXPECT_EQ(readNumber("nan"), 0.0);
    EXPECT_EQ(readNumber("-NaN(7)"), 0.0);

    KRangeParam detune;
    detune.setRange(-99, 99, 198);
    double slot = 0.1;
    EXPECT_FALSE(detune.setFromText(&slot, "nan"));
    EXPECT_EQ(slot, 0.1);  // kept, as for any text that is no number

    KdBParam level;
    level.setUnits("dB");
    level.setDecimals(1);
    slot = 0.5;
    level.setFromText(&slot, "NAN");
    EXPECT_EQ(slot, 0.5);  // not 0 dB
    level.setFromText(&slot, "-Inf");
    EXPECT_EQ(slot, 0.0);
    char text[32];
    level.getDisplayWithUnits(text, sizeof text, &slot);
    EXPECT_STREQ(text, "-Inf dB");
}

// A host that calls setlocale(LC_ALL, "") in a German desktop session.
class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved_ = old ? old : "C";
        // The name on Linux, and Windows' two spellings.
        bool german = false;
        for (const char* name : {"de_DE.UTF-8", "de-DE", "German_Germany.1252"})
            german = german || std::setlocale(LC_ALL, name);
        if (!german)
            GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/install-deps.sh generates it)";
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        ASSERT_STREQ(probe, "1,5") << "de_DE.UTF-8 does not write a decimal comma";
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

    std::string saved_;
};

TEST_F(DecimalCommaLocale, NumbersAreWrittenAndReadWithAPoint) {
    EXPECT_EQ(formatted(12.5, 2), "12.50");
    EXPECT_EQ(formatted(48000.0, 1), "48000.0");
    EXPECT_EQ(formatted(-0.75, 20), "-0.75000000000000000000");
    EXPECT_EQ(readNumber("1.5"), 1.5);
    EXPECT_EQ(readNumber("  -2.25e1 s"), -22.5);
    EXPECT_EQ(readNumber("1,5"), 1.0);  // as the C locale reads it

    KRangeParam bend;
    bend.setUnits("semis");
    bend.setRange(0, 12, 120);
    bend.setDecimals(1);
    double slot = 0.0;
    bend.setFromText(&slot, "1.5");
    char text[32];
    bend.getDisplayWithUnits(text, sizeof text, &slot);
    EXPECT_STREQ(text, "1.5 semis");
}

}  // namespace
}  // namespace kx
