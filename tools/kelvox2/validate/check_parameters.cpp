// Test 5: every parameter at 0, at 1, at the steps between and outside 0..1,
// with a note sounding; its name, label and display read into guarded
// buffers each time; and the round trip a host makes when it reloads a
// project (the value read back and set again, the display typed back) must
// leave the display as it was.
#include "kelvox2/validate/audio_check.h"
#include "kelvox2/validate/check_common.h"

#include <cmath>
#include <limits>

namespace kx::validate {

namespace {

// The value a host would store for the display, then set again.
void roundTrip(Check& check, Instance& instance, int index, float value, const std::string& name) {
    instance.setParameter(index, value);
    const std::string shown = instance.paramDisplay(index);
    const float stored = instance.getParameter(index);
    if (!std::isfinite(stored) || stored < 0.0f || stored > 1.0f)
        check.fail("get-range", "parameter %d (%s) set to %g reads back as %g", index, name.c_str(),
                   static_cast<double>(value), static_cast<double>(stored));
    for (int again = 0; again < 2; ++again) {
        instance.setParameter(index, instance.getParameter(index));
        const std::string now = instance.paramDisplay(index);
        if (now != shown) {
            check.fail("round-trip",
                       "parameter %d (%s) shows '%s' at %.9g; its value read back (%.9g) and set again shows '%s'",
                       index, name.c_str(), shown.c_str(), static_cast<double>(value), static_cast<double>(stored),
                       now.c_str());
            return;
        }
    }
}

// The display typed back, as hosts that let the user type a value do.
bool typedRoundTrip(Check& check, Instance& instance, int index, const std::string& name) {
    const std::string shown = instance.paramDisplay(index);
    if (shown.empty())
        return false;
    std::string typed = shown;
    // Optional: compared only when the plug-in says it took the text.
    if (instance.dispatch(effString2Parameter, index, 0, typed.data()) != 1)
        return false;
    const std::string now = instance.paramDisplay(index);
    if (now != shown)
        check.fail("typed-round-trip", "parameter %d (%s) shows '%s'; typing that text back shows '%s'", index,
                   name.c_str(), shown.c_str(), now.c_str());
    return true;
}

}  // namespace

void checkParameters(Check& check) {
    Module module;
    if (!loadModule(check, module))
        return;
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, 128);
    const int params = paramCount(check);
    const int steps = check.byLevel(4, 40);
    const bool hostile = check.level() >= 6;
    std::vector<float> outside = {-1.0f, -0.25f, 1.25f, 2.0f};
    if (hostile)
        for (float v : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()})
            outside.push_back(v);
    int sets = 0, typed = 0;
    for (int i = 0; i < params; ++i) {
        check.stage("parameter %d of %d", i, params);
        const std::string name = instance.paramName(i);
        instance.paramLabel(i);
        instance.dispatch(effCanBeAutomated, i);
        VstParameterProperties properties;
        instance.guardedStruct(effGetParameterProperties, i, &properties, sizeof properties, "parameter");
        const float initial = instance.getParameter(i);
        holdNote(instance, 48 + i % 24);
        for (int s = 0; s <= steps; ++s) {
            const float v = static_cast<float>(s) / static_cast<float>(steps);
            roundTrip(check, instance, i, v, name);
            instance.paramLabel(i);
            instance.process(128);
            ++sets;
            if (s % 4 == 0 && typedRoundTrip(check, instance, i, name))
                ++typed;
        }
        for (float v : outside) {
            instance.setParameter(i, v);
            instance.paramDisplay(i);
            instance.paramLabel(i);
            instance.getParameter(i);
            instance.process(128);
            ++sets;
        }
        // Back inside the range, the sound must recover.
        instance.setParameter(i, initial);
        for (int b = 0; b < 4; ++b)
            instance.process(128);
        EventList off;
        off.noteOff(0, 48 + i % 24);
        instance.sendEvents(off);
    }
    check.saw("%d parameters at %d values each in 0..1 and %zu outside%s (%d settings, a note sounding)", params,
              steps + 1, outside.size(), hostile ? " (infinities and NaN included)" : "", sets);
    check.saw(
        "names, labels and displays within their buffers; read back and set again keeps the display; "
        "%d typed round trips",
        typed);
}

}  // namespace kx::validate
