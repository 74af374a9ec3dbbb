#include "params/param_list.h"
#include "params/range_param.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

KParam* named(const char* name) {
    auto* p = new KRangeParam;
    p->setName(name);
    return p;
}

TEST(FindParamByName, MatchesTheWholeNameInAnyLetterCaseAndTakesTheFirst) {
    KParamList params(4);
    params.resize(4);
    params.set(0, named("Wave1"));
    params.set(2, named("Detune1"));
    params.set(3, named("detune1"));
    EXPECT_EQ(findParamByName(params, "wave1"), 0);
    EXPECT_EQ(findParamByName(params, "DETUNE1"), 2);
    EXPECT_EQ(findParamByName(params, "Detune"), -1);  // a start is not the name
    EXPECT_EQ(findParamByName(params, "Detune12"), -1);
    EXPECT_EQ(findParamByName(params, ""), -1);  // the empty slot has no name to match
    EXPECT_EQ(findParamByName(params, nullptr), -1);
}

}  // namespace
}  // namespace kx
