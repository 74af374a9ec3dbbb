// Named checks that skin conditions test: a parameter against a value, the
// effect's input and output counts, or the date the skin was loaded.
#pragma once

#include <string>

#include "controls/condition.h"

namespace kx {

class KArgReader;

// Comparison operators as the script writes them; Invalid rejects the line.
enum class KCheckOp { Equal, NotEqual, Greater, Less, GreaterEqual, LessEqual, Invalid };

KCheckOp parseCheckOp(const char* word);
bool compareByOp(double live, KCheckOp op, double value);

class KParamCheck : public KCheck {
public:
    KParamCheck(KEffect* effect, int param, KCheckOp op, double value)
        : KCheck(effect), param_(param), op_(op), value_(value) {}
    const char* getClassName() const override { return "KParamCheck"; }
    bool Evaluate() const override;

private:
    int param_;
    KCheckOp op_;
    double value_;
};

class KInOutCheck : public KCheck {
public:
    KInOutCheck(KEffect* effect, KCheckOp inOp, int inCount, KCheckOp outOp, int outCount)
        : KCheck(effect), inOp_(inOp), inCount_(inCount), outOp_(outOp), outCount_(outCount) {}
    const char* getClassName() const override { return "KInOutCheck"; }
    bool Evaluate() const override;

private:
    KCheckOp inOp_;
    int inCount_;
    KCheckOp outOp_;
    int outCount_;
};

// Decided once, from the local date when the skin is loaded.
class KDateCheck : public KCheck {
public:
    KDateCheck(KEffect* effect, bool result) : KCheck(effect), result_(result) {}
    const char* getClassName() const override { return "KDateCheck"; }
    bool Evaluate() const override { return result_; }

private:
    bool result_;
};

// Builds the check of that kind ("Param", "InOut", "Date") from the
// arguments that follow the kind word; null when the line is invalid, with
// the reason in the reader.
KCheck* createCheck(KEffect* effect, const char* kind, KArgReader& args);

}  // namespace kx
