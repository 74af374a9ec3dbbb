// The results of a run and how they are written: a line per test for
// people, or one JSON document for machines.
#pragma once

#include "kelvox2/validate/battery.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kx::validate {

struct TestResult {
    std::string name;
    Findings findings;
    double seconds = 0.0;
    std::string ending;  // how the child process ended, when not normally
    std::string output;  // the last lines it printed, when it failed
};

struct PluginResult {
    PluginFacts facts;
    bool loaded = false;
    std::vector<TestResult> tests;
};

struct Totals {
    int passed = 0, failed = 0, skipped = 0;
    void add(const TestResult& t);
};

// One plug-in's heading, printed before its tests run.
void printPluginHeading(FILE* out, const PluginResult& plugin);
void printTestLine(FILE* out, const TestResult& test);
void printTotals(FILE* out, const Totals& totals, const char* what);

void writeJson(FILE* out, const Settings& settings, const std::vector<PluginResult>& plugins, const Totals& totals);

}  // namespace kx::validate
