#include "skin/check.h"

#include <cstring>
#include <string>

#include "controls/effect_link.h"
#include "params/number_text.h"
#include "skin/arg_reader.h"
#include "skin/system_clock.h"

namespace kx {

KCheckOp parseCheckOp(const char* word) {
    static const char* const kWords[] = {"==", "!=", ">", "<", ">=", "<="};
    if (!word)
        return KCheckOp::Invalid;
    for (int i = 0; i < 6; ++i)
        if (!std::strcmp(word, kWords[i]))
            return static_cast<KCheckOp>(i);
    return KCheckOp::Invalid;
}

bool compareByOp(double live, KCheckOp op, double value) {
    switch (op) {
    case KCheckOp::Equal: return live == value;
    case KCheckOp::NotEqual: return live != value;
    case KCheckOp::Greater: return live > value;
    case KCheckOp::Less: return live < value;
    case KCheckOp::GreaterEqual: return live >= value;
    case KCheckOp::LessEqual: return live <= value;
    case KCheckOp::Invalid: break;
    }
    return false;
}

bool KParamCheck::Evaluate() const { return compareByOp(paramRealValue(effect_, param_), op_, value_); }

bool KInOutCheck::Evaluate() const {
    return compareByOp(effectInputCount(effect_), inOp_, inCount_) &&
           compareByOp(effectOutputCount(effect_), outOp_, outCount_);
}

namespace {

KCheckOp readOp(KArgReader& args, const char* what) {
    const char* word = args.text(what);
    KCheckOp op = parseCheckOp(word);
    if (op == KCheckOp::Invalid && word)
        args.failWith(std::string("'") + word + "' is not a comparison (==, !=, >, <, >=, <=)");
    return op;
}

}  // namespace

KCheck* createCheck(KEffect* effect, const char* kind, KArgReader& args) {
    if (equalsIgnoringCase(kind, "Param")) {
        args.setOwner("a Param check");
        int param = args.param();
        KCheckOp op = readOp(args, "comparison");
        double value = args.number("value");
        if (!args.ok())
            return nullptr;
        return new KParamCheck(effect, param, op, value);
    }
    if (equalsIgnoringCase(kind, "InOut")) {
        args.setOwner("an InOut check");
        KCheckOp inOp = readOp(args, "input comparison");
        int inCount = args.integer("input count");
        KCheckOp outOp = readOp(args, "output comparison");
        int outCount = args.integer("output count");
        if (!args.ok())
            return nullptr;
        return new KInOutCheck(effect, inOp, inCount, outOp, outCount);
    }
    if (equalsIgnoringCase(kind, "Date")) {
        args.setOwner("a Date check");
        KCheckOp op = readOp(args, "comparison");
        int month = args.integer("month");
        int day = args.integer("day");
        if (!args.ok())
            return nullptr;
        if (month < 1 || month > 12 || day < 1 || day > 31)
            args.warn(std::to_string(month) + "/" + std::to_string(day) + " is no date (month 1..12, day 1..31)");
        // In doubles: absurd months must not overflow.
        double script = month * 100.0 + day;
        return new KDateCheck(effect, compareByOp(todayMonthDay(), op, script));
    }
    args.failWith(kind ? std::string("unknown check kind '") + kind + "' (Param, InOut, Date)"
                       : "the check kind is missing");
    return nullptr;
}

}  // namespace kx
