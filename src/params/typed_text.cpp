#include "params/typed_text.h"

#include "params/number_text.h"

#include <cmath>
#include <cstring>

namespace kx {

namespace {

// A piece of the typed text, which is not copied (a host's text has no
// length limit of ours).
struct Span {
    const char* begin;
    const char* end;
    bool empty() const { return begin == end; }
};

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

Span trimmed(const char* begin, const char* end) {
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    return {begin, end};
}

Span trimmed(const char* text) { return trimmed(text, text + std::strlen(text)); }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The span starts the name (equals it too when `whole`), ignoring letter case.
bool matches(Span typed, const char* name, bool whole) {
    const char* n = name;
    for (const char* p = typed.begin; p < typed.end; ++p, ++n)
        if (!*n || lower(*p) != lower(*n))
            return false;
    return !whole || !*n;
}

bool sameIgnoringCase(Span a, Span b) {
    if (a.end - a.begin != b.end - b.begin)
        return false;
    for (const char *p = a.begin, *q = b.begin; p < a.end; ++p, ++q)
        if (lower(*p) != lower(*q))
            return false;
    return true;
}

struct UnitScale {
    const char* unit;
    const char* kind;
    double factor;
};

// Units a person types for the units parameters show, with their scale.
constexpr UnitScale kUnits[] = {
    {"s", "time", 1.0},        {"sec", "time", 1.0},     {"secs", "time", 1.0},        {"ms", "time", 1e-3},
    {"msec", "time", 1e-3},    {"min", "time", 60.0},    {"Hz", "frequency", 1.0},     {"kHz", "frequency", 1e3},
    {"cents", "pitch", 1.0},   {"cent", "pitch", 1.0},   {"ct", "pitch", 1.0},         {"semis", "pitch", 100.0},
    {"semi", "pitch", 100.0},  {"st", "pitch", 100.0},   {"semitone", "pitch", 100.0}, {"semitones", "pitch", 100.0},
    {"deg", "angle", 1.0},     {"degree", "angle", 1.0}, {"degrees", "angle", 1.0},    {"%", "ratio", 1.0},
    {"percent", "ratio", 1.0},
};

const UnitScale* findUnit(Span unit) {
    for (const UnitScale& u : kUnits)
        if (sameIgnoringCase(unit, Span{u.unit, u.unit + std::strlen(u.unit)}))
            return &u;
    return nullptr;
}

// The number in the parameter's units, false when the unit is not one of them.
bool inUnits(double number, Span typed, Span shown, double& result) {
    if (typed.empty() || sameIgnoringCase(typed, shown)) {
        result = number;
        return true;
    }
    const UnitScale* from = findUnit(typed);
    const UnitScale* to = findUnit(shown);
    if (!from || !to || std::strcmp(from->kind, to->kind) != 0)
        return false;
    // Multiplied before divided, so that "-50 cents" in semis is exactly -0.5.
    result = number * from->factor / to->factor;
    return true;
}

const char* choiceName(const ValueDescription& d, int i) {
    const char* name = d.choice ? d.choice(d.owner, i) : nullptr;
    return name ? name : "";
}

// A whole name first, then a number, then the start of a name: "1" is a
// number where names such as "1/4" and "1/8" also start with it.
TypedValue read(const ValueDescription& d, Span typed, const char* text) {
    TypedValue value;
    for (int i = 0; i < d.choiceCount; ++i)
        if (matches(typed, choiceName(d, i), true)) {
            value.kind = TypedValue::kChoice;
            value.choice = i;
            return value;
        }
    if (d.numeric) {
        const char* end = text;
        // The same reading as a plain number has always had, so that its
        // stored value stays exactly as it was.
        const double number = readNumberPrefix(text, &end);
        const bool silence = std::fmin(d.low, d.high) == -INFINITY;
        if (end != text && !std::isnan(number) &&
            inUnits(number, trimmed(end, typed.end), trimmed(d.units ? d.units : ""), value.number)) {
            value.kind = TypedValue::kNumber;
            return value;
        }
        if (silence && matches(typed, "off", true)) {
            value.kind = TypedValue::kNumber;
            value.number = -INFINITY;
            return value;
        }
    }
    for (int i = 0; i < d.choiceCount; ++i)
        if (matches(typed, choiceName(d, i), false)) {
            value.kind = value.kind == TypedValue::kChoice ? TypedValue::kAmbiguous : TypedValue::kChoice;
            if (value.kind == TypedValue::kAmbiguous)
                return value;
            value.choice = i;
        }
    return value;
}

}  // namespace

TypedValue readTypedValue(const ValueDescription& description, const char* text) {
    if (!text)
        return {};
    const Span typed = trimmed(text);
    if (typed.empty())
        return {};
    return read(description, typed, text);
}

bool startsName(const char* text, const char* name) {
    if (!text || !name)
        return false;
    const Span typed = trimmed(text);
    return !typed.empty() && matches(typed, name, false);
}

}  // namespace kx
