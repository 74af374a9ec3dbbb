#include "kelvox2/validate/check_common.h"

#include <algorithm>

namespace kx::validate {

bool loadModule(Check& check, Module& module) {
    check.stage("loading the module");
    std::string error;
    if (module.load(check.facts.path, &error))
        return true;
    check.fail("load", "%s", error.c_str());
    return false;
}

std::vector<double> sampleRates(const Check& check) {
    if (!check.settings.rates.empty())
        return check.settings.rates;
    return {kSampleRates.begin(), kSampleRates.end()};
}

std::vector<double> ratesAmong(const Check& check, std::initializer_list<double> wanted) {
    const std::vector<double> allowed = sampleRates(check);
    std::vector<double> rates;
    for (double rate : wanted)
        if (std::find(allowed.begin(), allowed.end(), rate) != allowed.end())
            rates.push_back(rate);
    if (rates.empty())
        rates.push_back(allowed.front());
    return rates;
}

int paramCount(const Check& check) {
    const int n = check.facts.numParams;
    return n < 0 ? 0 : n > 4096 ? 4096 : n;
}

int programCount(const Check& check) {
    const int n = check.facts.numPrograms;
    return n < 0 ? 0 : n > 128 ? 128 : n;
}

double tailLimit(Instance& instance) {
    const VstIntPtr tail = instance.dispatch(effGetTailSize);
    const double seconds = tail > 1 ? double(tail) / instance.rate() + 1.0 : 0.0;
    return std::max(10.0, std::min(seconds, 120.0));
}

std::string times(int n) { return n == 1 ? "once" : n == 2 ? "twice" : std::to_string(n) + " times"; }

void holdNote(Instance& instance, int key, int velocity) {
    EventList list;
    list.noteOn(0, key, velocity);
    instance.sendEvents(list);
}

}  // namespace kx::validate
