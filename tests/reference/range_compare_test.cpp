// Host values outside 0..1. The host may send them and they are stored as
// they come; the parameter classes map them outside their ranges.
#include "twin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

namespace kx::ref {
namespace {

struct OutsideValue {
    int index;
    float value;
};

void PrintTo(const OutsideValue& v, std::ostream* out) { *out << "parameter " << v.index << " = " << v.value; }

class RangeCompare : public ::testing::TestWithParam<OutsideValue> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(twin.start(&error)) << error;
        twin.setParameter(26, 0.5f);  // LFO depth, portamento and its reset
        twin.setParameter(4, 0.2f);   // matter in every case
        twin.setParameter(27, 0.0f);
        VstTimeInfo t{};
        t.tempo = 120;
        t.ppqPos = 0.3;
        t.flags = kVstPpqPosValid | kVstTempoValid | kVstTransportPlaying;
        twin.setTime(&t);
    }
    void play() {
        twin.setParameter(GetParam().index, GetParam().value);
        EXPECT_EQ(twin.pluginStored()[GetParam().index], static_cast<double>(GetParam().value));
        twin.events({noteOn(0, 60), bend(10, 3, 100), noteOff(3000, 60), noteOn(8000, 67), noteOn(9000, 62)});
        twin.renderBlocks(20000, 512);
    }
    Twin twin;
};

// Read literally, these values map outside the ranges and sound (silent
// wave numbers, gains above 0 dB, deeper tremolo, higher partials).
TEST_P(RangeCompare, ValuesMapUnclamped) {
    SKIP_KNOWN_DISAGREEMENT("the plug-in clamps stored values to 0..1 before mapping them to the voice");
    play();
    EXPECT_TWIN_MATCHES(twin);
}

// The plug-in's reading: the voice hears values clamped to 0..1. Where the
// literal mapping is a fault (negative attack, release or LFO speed would
// run away without end), this is the sound behaviour.
TEST_P(RangeCompare, ValuesApplyClampedAndStayBounded) {
    twin.model().clampWhenApplying = true;
    play();
    twin.events({noteOn(0, 50)});
    twin.renderBlocks(44100 * 3, 4096);  // a key held for seconds
    EXPECT_TWIN_MATCHES(twin);
    const std::vector<double>& out = twin.modelSamples();
    const double peak = std::fabs(
        *std::max_element(out.begin(), out.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); }));
    EXPECT_LE(peak, 3.0);
}

TEST(RangeCompareNaN, NotANumberFromTheHostIsRefused) {
    Twin twin;
    std::string error;
    ASSERT_TRUE(twin.start(&error)) << error;
    for (int index : {2, 3, 6, 24, 29})
        twin.setParameter(index, std::numeric_limits<float>::quiet_NaN());
    twin.events({noteOn(0, 60), noteOff(3000, 60)});
    twin.renderBlocks(6000, 512);
    EXPECT_TWIN_MATCHES(twin);
    for (double v : twin.modelSamples())
        ASSERT_TRUE(std::isfinite(v));
}

INSTANTIATE_TEST_SUITE_P(Values, RangeCompare,
                         ::testing::Values(OutsideValue{0, 1.5f}, OutsideValue{15, -0.5f}, OutsideValue{23, 2.0f},
                                           OutsideValue{1, 2.0f}, OutsideValue{2, -0.5f}, OutsideValue{11, -0.5f},
                                           OutsideValue{24, -0.5f}, OutsideValue{27, -1.0f}, OutsideValue{29, 4.0f},
                                           OutsideValue{6, 2.0f}, OutsideValue{5, -1.0f}, OutsideValue{16, 3.0f},
                                           OutsideValue{26, 3.0f}, OutsideValue{28, -2.0f}, OutsideValue{25, 7.0f}),
                         [](const ::testing::TestParamInfo<OutsideValue>& info) {
                             const int tenths = static_cast<int>(info.param.value * 10);
                             return "Param" + std::to_string(info.param.index) + (tenths < 0 ? "_minus" : "_") +
                                    std::to_string(tenths < 0 ? -tenths : tenths) + "tenths";
                         });

}  // namespace
}  // namespace kx::ref
