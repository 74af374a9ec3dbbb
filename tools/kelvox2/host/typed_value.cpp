#include "kelvox2/host/typed_value.h"

#include "params/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

namespace kx {

namespace {

// The number as the shortest text that reads back to it, in C notation.
std::string plainNumber(double v) {
    char text[64];
    auto r = std::to_chars(text, text + sizeof text - 1, v);
    *r.ptr = '\0';
    return text;
}

std::string display(const ParameterShape& shape, const std::string& number) {
    return shape.label.empty() ? number : number + " " + shape.label;
}

// True when the parameter now shows the number, to the display's precision.
bool showsNumber(const PluginHost& host, const ParameterShape& shape, double wanted) {
    double shown = 0.0;
    int decimals = 0;
    if (!readDisplayNumber(host.paramDisplay(shape.index), shown, &decimals))
        return false;
    if (std::isinf(wanted) || std::isinf(shown))
        return shown == wanted;
    const double tolerance = 0.5 * std::pow(10.0, -decimals);
    return std::fabs(shown - wanted) <= tolerance * (1 + 1e-9) + 1e-12 * std::fabs(wanted);
}

double shownNumber(const PluginHost& host, const ParameterShape& shape, float x) {
    host.setParameter(shape.index, x);
    double shown = 0.0;
    return readDisplayNumber(host.paramDisplay(shape.index), shown) ? shown : NAN;
}

// Searches the normalised value whose display is nearest the number, assuming
// the display moves one way from lowValue to highValue.
void searchNumber(const PluginHost& host, const ParameterShape& shape, double wanted) {
    const bool rising = shape.high >= shape.low;
    auto onLowSide = [&](double shown) { return rising ? shown < wanted : shown > wanted; };
    float a = shape.lowValue, b = shape.highValue;
    for (int i = 0; i < 40; ++i) {
        const float m = a + (b - a) / 2;
        if (m == a || m == b)
            break;
        if (onLowSide(shownNumber(host, shape, m)))
            a = m;
        else
            b = m;
    }
    const double atA = shownNumber(host, shape, a);
    const double atB = shownNumber(host, shape, b);
    host.setParameter(shape.index, std::fabs(atA - wanted) < std::fabs(atB - wanted) ? a : b);
}

// "Sine, Square or Sawtooth": the names a text could be.
std::string startsOf(const ParameterShape& shape, const std::string& text) {
    std::vector<std::string> starts;
    for (const ParameterShape::NamedValue& n : shape.named)
        if (startsName(text.c_str(), n.text.c_str()))
            starts.push_back(n.text);
    std::string list;
    for (size_t i = 0; i < starts.size(); ++i)
        list += (i == 0 ? "" : i + 1 == starts.size() ? " or " : ", ") + starts[i];
    return list;
}

bool setNamed(const PluginHost& host, const ParameterShape& shape, const ParameterShape::NamedValue& named) {
    // The plug-in's own reading of its own text is exact where the middle of
    // the stretch is only near.
    if (host.string2parameter(shape.index, named.text) && trimmed(host.paramDisplay(shape.index)) == named.text)
        return true;
    host.setParameter(shape.index, named.value);
    return trimmed(host.paramDisplay(shape.index)) == named.text;
}

}  // namespace

bool setTypedValue(const PluginHost& host, const ParameterShape& shape, const std::string& text, std::string& warning,
                   std::string& error) {
    const std::string typed = trimmed(text);
    const std::string takes = shape.name + " takes " + describeAccepted(shape);
    if (typed.empty()) {
        error = shape.name + " needs a value: " + describeAccepted(shape);
        return false;
    }

    // The plug-in framework's own reading, on what the parameter shows.
    const TypedValue read = readTypedValue(describeValues(shape), typed.c_str());
    if (read.kind == TypedValue::kChoice) {
        const ParameterShape::NamedValue& named = shape.named[size_t(read.choice)];
        if (setNamed(host, shape, named))
            return true;
        error = "the plug-in did not take '" + named.text + "' for " + shape.name;
        return false;
    }
    if (read.kind == TypedValue::kAmbiguous) {
        error = "'" + typed + "' could be " + startsOf(shape, typed) + " (" + takes + ")";
        return false;
    }
    // A parameter that shows nothing we can read: the plug-in reads the text.
    if (!shape.numeric && shape.named.empty() && host.string2parameter(shape.index, typed))
        return true;
    if (read.kind != TypedValue::kNumber) {
        error = takes + ", not '" + typed + "'";
        const char* start = typed.c_str();
        const char* end = start;
        readNumberPrefix(start, &end);
        if (end != start && end[0] == ',' && end[1] >= '0' && end[1] <= '9')
            error += " (decimals take a point: " + std::string(start, end) + "." + std::string(end + 1) + ")";
        return false;
    }
    double wanted = read.number;

    const double lowest = std::min(shape.low, shape.high);
    const double highest = std::max(shape.low, shape.high);
    if (wanted < lowest || wanted > highest) {
        const bool below = wanted < lowest;
        const std::string& edge = below == (shape.low <= shape.high) ? shape.lowText : shape.highText;
        warning = shape.name + "=" + typed + " is " + (below ? "below" : "above") + " its range " + shape.lowText +
                  " to " + display(shape, shape.highText) + ": set to " + display(shape, edge);
        wanted = below ? lowest : highest;
    }
    if (wanted == shape.low || wanted == shape.high) {
        host.setParameter(shape.index, wanted == shape.low ? shape.lowValue : shape.highValue);
        return true;
    }
    if (host.string2parameter(shape.index, plainNumber(wanted)) && showsNumber(host, shape, wanted))
        return true;
    searchNumber(host, shape, wanted);
    return true;
}

int findParameterNamed(const PluginHost& host, const std::string& name, std::string& error) {
    std::vector<int> starts;
    std::string lowered = name, known;
    for (char& c : lowered)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < host.numParams(); ++i) {
        std::string candidate = host.paramName(i);
        known += (i ? ", " : "") + candidate;
        for (char& c : candidate)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (candidate == lowered)
            return i;
        if (candidate.compare(0, lowered.size(), lowered) == 0)
            starts.push_back(i);
    }
    if (starts.size() == 1)
        return starts.front();
    if (starts.empty()) {
        error = "the plug-in has no parameter '" + name + "' (it has: " + known + ")";
    } else {
        error = "'" + name + "' could be ";
        for (size_t i = 0; i < starts.size(); ++i)
            error += (i == 0 ? "" : i + 1 == starts.size() ? " or " : ", ") + host.paramName(starts[i]);
    }
    return -1;
}

}  // namespace kx
