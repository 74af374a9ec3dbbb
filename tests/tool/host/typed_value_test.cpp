#include "kelvox2/host/parameter_shape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kx {
namespace {

TEST(DisplayNumbers, NumbersWithAUnitWordReadAndOtherTextsDoNot) {
    double v = 0.0;
    int decimals = -1;
    EXPECT_TRUE(readDisplayNumber(" 12.50 ", v, &decimals));
    EXPECT_EQ(v, 12.5);
    EXPECT_EQ(decimals, 2);
    EXPECT_TRUE(readDisplayNumber("-Inf", v));
    EXPECT_EQ(v, -INFINITY);
    EXPECT_TRUE(readDisplayNumber("440 Hz", v, &decimals));
    EXPECT_EQ(v, 440.0);
    EXPECT_EQ(decimals, 0);
    EXPECT_TRUE(readDisplayNumber("-6.0dB", v));
    for (const char* text : {"", "Sine", "1/4", "3:2", "nan", "1.5.2", "12 bars 3", "Off"})
        EXPECT_FALSE(readDisplayNumber(text, v)) << text;
}

}  // namespace
}  // namespace kx
