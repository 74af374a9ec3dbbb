#include "kelvox2/host/parameter_shape.h"

#include "params/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kx {

namespace {

// Probe points across 0..1: fine enough for choices of a few hundred entries.
constexpr int kProbeSteps = 1000;
// A unit word after a displayed number: letters and signs, no digits.
constexpr size_t kMaxUnitChars = 12;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isUnitWord(const std::string& rest) {
    if (rest.size() > kMaxUnitChars)
        return false;
    for (char c : rest)
        if ((c >= '0' && c <= '9') || c == '.' || c == ',' || c == '/' || c == ':')
            return false;
    return true;
}

std::string joined(const std::vector<ParameterShape::NamedValue>& named, const char* last) {
    std::string text;
    for (size_t i = 0; i < named.size(); ++i) {
        if (i)
            text += i + 1 == named.size() ? last : ", ";
        text += named[i].text;
    }
    return text;
}

std::string withUnit(const std::string& number, const std::string& label) {
    return label.empty() ? number : number + " " + label;
}

}  // namespace

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool readDisplayNumber(const std::string& text, double& number, int* decimals) {
    const std::string t = trimmed(text);
    if (t.empty())
        return false;
    const char* start = t.c_str();
    const char* end = start;
    double v = readNumberPrefix(start, &end);
    if (end == start || std::isnan(v))
        return false;
    std::string rest = trimmed(std::string(end));
    if (!isUnitWord(rest))
        return false;
    number = v;
    if (decimals) {
        const char* point = std::strchr(start, '.');
        *decimals = point && point < end ? int(end - point - 1) : 0;
    }
    return true;
}

ParameterShape probeParameter(const PluginHost& host, int index) {
    ParameterShape shape;
    shape.index = index;
    shape.name = host.paramName(index);
    shape.label = host.paramLabel(index);
    const float original = host.getParameter(index);

    struct Run {
        std::string text;
        int first, last;
    };
    std::vector<Run> runs;
    bool haveLow = false;
    for (int step = 0; step <= kProbeSteps; ++step) {
        const float x = float(step) / kProbeSteps;
        host.setParameter(index, x);
        const std::string text = host.paramDisplay(index);
        double number = 0.0;
        if (readDisplayNumber(text, number)) {
            shape.numeric = true;
            if (!haveLow) {
                shape.low = number;
                shape.lowValue = x;
                shape.lowText = trimmed(text);
                haveLow = true;
            }
            shape.high = number;
            shape.highValue = x;
            shape.highText = trimmed(text);
            continue;
        }
        if (!runs.empty() && runs.back().text == text && runs.back().last == step - 1)
            runs.back().last = step;
        else
            runs.push_back({text, step, step});
    }
    host.setParameter(index, original);

    // Each text once, at the middle of its longest stretch.
    std::vector<int> spans;
    for (const Run& run : runs) {
        if (trimmed(run.text).empty())
            continue;
        const float middle = float(run.first + run.last) / 2 / kProbeSteps;
        const int span = run.last - run.first;
        size_t i = 0;
        while (i < shape.named.size() && shape.named[i].text != trimmed(run.text))
            ++i;
        if (i == shape.named.size()) {
            shape.named.push_back({trimmed(run.text), middle});
            spans.push_back(span);
        } else if (span > spans[i]) {
            shape.named[i].value = middle;
            spans[i] = span;
        }
    }
    return shape;
}

ValueDescription describeValues(const ParameterShape& shape) {
    ValueDescription d;
    d.units = shape.label.c_str();
    d.numeric = shape.numeric;
    d.low = shape.low;
    d.high = shape.high;
    d.choiceCount = int(shape.named.size());
    d.owner = &shape;
    d.choice = [](const void* owner, int index) {
        return static_cast<const ParameterShape*>(owner)->named[size_t(index)].text.c_str();
    };
    return d;
}

std::string describeRange(const ParameterShape& shape) {
    std::string text;
    if (shape.numeric)
        text = shape.lowText == shape.highText ? withUnit(shape.lowText, shape.label)
                                               : shape.lowText + " to " + withUnit(shape.highText, shape.label);
    if (!shape.named.empty())
        text += (text.empty() ? "" : ", or ") + joined(shape.named, shape.numeric ? " or " : ", ");
    return text;
}

std::string describeAccepted(const ParameterShape& shape) {
    if (shape.numeric) {
        std::string text = "a number from " + shape.lowText + " to " + withUnit(shape.highText, shape.label);
        // The reader takes "off" for that end (params/typed_text.h).
        if (std::min(shape.low, shape.high) == -INFINITY)
            text += ", or off";
        if (!shape.named.empty())
            text += ", or " + joined(shape.named, " or ");
        return text;
    }
    if (shape.named.empty())
        return "a value the plug-in takes";
    return "one of " + joined(shape.named, ", ");
}

}  // namespace kx
