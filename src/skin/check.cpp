#include "skin/check.h"

#include <cstring>
#include <ctime>

#include "controls/effect_link.h"
#include "data/tokenizer.h"

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

bool KParamCheck::Evaluate() const {
    return compareByOp(paramRealValue(effect_, param_), op_, value_);
}

bool KInOutCheck::Evaluate() const {
    return compareByOp(effectInputCount(effect_), inOp_, inCount_) &&
           compareByOp(effectOutputCount(effect_), outOp_, outCount_);
}

int todayMonthDay() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return (local.tm_mon + 1) * 100 + local.tm_mday;
}

KCheck* createCheck(KEffect* effect, KTokenizer& tokens, const char** reason) {
    int at = tokens.cursor();
    int count = tokens.wordCount();
    if (tokens.wordIs(at, "Param")) {
        if (count - at < 4) {
            *reason = "Param check needs a parameter, an operator and a value";
            return nullptr;
        }
        int param = findParameterIndex(effect, tokens.getWord(at + 1));
        if (param < 0) {
            *reason = "no parameter of that name";
            return nullptr;
        }
        KCheckOp op = parseCheckOp(tokens.getWord(at + 2));
        if (op == KCheckOp::Invalid) {
            *reason = "unknown comparison operator";
            return nullptr;
        }
        return new KParamCheck(effect, param, op, tokens.wordAsNumber(at + 3));
    }
    if (tokens.wordIs(at, "InOut")) {
        if (count - at < 5) {
            *reason = "InOut check needs two operators and two counts";
            return nullptr;
        }
        KCheckOp inOp = parseCheckOp(tokens.getWord(at + 1));
        KCheckOp outOp = parseCheckOp(tokens.getWord(at + 3));
        if (inOp == KCheckOp::Invalid || outOp == KCheckOp::Invalid) {
            *reason = "unknown comparison operator";
            return nullptr;
        }
        return new KInOutCheck(effect, inOp, tokens.wordAsInteger(at + 2), outOp,
                               tokens.wordAsInteger(at + 4));
    }
    if (tokens.wordIs(at, "Date")) {
        if (count - at < 4) {
            *reason = "Date check needs an operator, a month and a day";
            return nullptr;
        }
        KCheckOp op = parseCheckOp(tokens.getWord(at + 1));
        if (op == KCheckOp::Invalid) {
            *reason = "unknown comparison operator";
            return nullptr;
        }
        // In doubles: absurd months must not overflow.
        double script = tokens.wordAsInteger(at + 2) * 100.0 + tokens.wordAsInteger(at + 3);
        return new KDateCheck(effect, compareByOp(todayMonthDay(), op, script));
    }
    *reason = "unknown check kind";
    return nullptr;
}

}  // namespace kx
