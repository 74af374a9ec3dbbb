// What a parameter of any VST 2.4 plug-in accepts, learnt through the
// interface alone: its name and label, and the display texts it shows across
// the normalised range. Displays that read as numbers make a number range
// (in the label's unit); the others are named values (the entries of a
// choice, or texts such as "Off" at the end of a range).
#pragma once

#include "kelvox2/host/plugin_host.h"
#include "params/typed_text.h"

#include <string>
#include <vector>

namespace kx {

struct ParameterShape {
    struct NamedValue {
        std::string text;    // as displayed, without surrounding blanks
        float value = 0.0f;  // the middle of the longest stretch that shows the text
    };

    int index = -1;
    std::string name;
    std::string label;
    std::vector<NamedValue> named;  // in the order they appear from 0 to 1
    bool numeric = false;           // some displays read as numbers
    // The numbers shown nearest normalised 0 and 1 (either may be the larger,
    // and a gain may start at minus infinity), with their texts.
    double low = 0.0, high = 0.0;
    float lowValue = 0.0f, highValue = 1.0f;
    std::string lowText, highText;
};

// Steps through the normalised range (setParameter, effGetParamDisplay) and
// puts the value back as it found it (to float precision) afterwards.
ParameterShape probeParameter(const PluginHost& host, int index);

// The shape as the plug-in's own reader of typed text takes a parameter;
// valid while the shape lives and is unchanged.
ValueDescription describeValues(const ParameterShape& shape);

// A display text read as a number: optional blanks, the number (C notation,
// "-Inf"/"Inf" too) and nothing else but blanks and a unit word. False for
// any other text. `decimals`: how many the text shows.
bool readDisplayNumber(const std::string& text, double& number, int* decimals = nullptr);

// The text without the blanks and tabs around it.
std::string trimmed(const std::string& text);

// "one of Sine, Triangle, Square, Sawtooth", "a number from 0.01 to 2.00 s",
// "a number from 0 to 100 %, or Off".
std::string describeAccepted(const ParameterShape& shape);

// The range alone, "0.01 to 2.00 s", or the choices, "Sine, Triangle".
std::string describeRange(const ParameterShape& shape);

}  // namespace kx
