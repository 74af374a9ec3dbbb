// The validation battery: its tests, and Check, the running test's view of
// the world (settings, the plug-in's facts, and where findings go).
//
// Every test runs in a child process of its own (child_process.h); the
// findings travel back to the parent as text through shared memory.
#pragma once

#include "plugin/vst_abi.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace kx {
struct SharedReport;
}

namespace kx::validate {

// What the battery learns of a plug-in before its tests run.
struct PluginFacts {
    std::string path;
    std::string name;  // effGetEffectName, else the file name
    std::string vendor;
    std::string product;
    VstInt32 uniqueID = 0;
    VstInt32 version = 0;
    VstInt32 numParams = 0;
    VstInt32 numPrograms = 0;
    VstInt32 numInputs = 0;
    VstInt32 numOutputs = 0;
    VstInt32 flags = 0;
    VstIntPtr category = 0;

    bool hasEditor() const { return (flags & effFlagsHasEditor) != 0; }
    bool isSynth() const { return (flags & effFlagsIsSynth) != 0; }
    bool canDouble() const { return (flags & effFlagsCanDoubleReplacing) != 0; }
    bool programChunks() const { return (flags & effFlagsProgramChunks) != 0; }

    // As key=value lines, and back (through the shared report).
    std::string serialise() const;
    bool parse(const std::string& text);
};

struct Settings {
    int level = 3;               // 1..10: how much each test repeats and tries
    std::uint64_t seed = 1;      // every random choice follows from it
    std::string display;         // X display for editor work; empty = none
    bool syntheticInput = true;  // XTest pointer and key events (only on our own server)
    std::vector<double> rates;   // the sample rates tried; empty = every rate hosts offer
};

enum class Verdict { Pass, Fail, Skip };

// Findings of one test, filled in the child and read back by the parent.
struct Findings {
    Verdict verdict = Verdict::Pass;
    std::vector<std::string> seen;      // what was tried and measured
    std::vector<std::string> failures;  // each with "(and N more like it)" when repeated
    std::vector<std::string> notes;     // remarks that fail nothing
    std::string skipReason;

    std::string serialise() const;
    static Findings parse(const std::string& text);
};

// The running test's view. Findings may come from any of the test's threads.
class Check {
public:
    Check(const Settings& settings, const PluginFacts& facts, SharedReport* report, std::uint64_t testSeed);

    const Settings& settings;
    const PluginFacts& facts;
    // The battery test running (its name); null outside the battery. A text
    // request's fault is the fault of the test that owns that text alone.
    const char* test = nullptr;
    int level() const { return settings.level; }
    // Scales a count with the level: `atOne` at level 1, `atTen` at level 10.
    int byLevel(int atOne, int atTen) const;

    // The test thread's generator (not for other threads: give them a seed()).
    std::mt19937_64& rng() { return rng_; }
    std::uint64_t seed() { return rng_(); }
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    double uniform01() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }

    // What the test is doing now: shown as progress, and named when the
    // process dies or hangs. Also counts as a heartbeat.
    void stage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    std::string currentStage() const;
    // Progress without a new stage: the parent stops a test only when no
    // heartbeat came for the whole time limit.
    void beat();

    // A fault. Faults of the same kind after the first are only counted.
    void fail(const char* kind, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void note(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // True the first time it is asked for `kind`: for remarks made once.
    bool firstTime(const char* kind);
    void saw(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void skip(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool failed() const;
    int failuresOfKind(const char* kind) const;

    Findings findings() const;
    // Writes the findings into the shared report; `complete` only as the
    // child's last act. Each new kind of fault is published as it is found.
    void publish(bool complete = true) const;

private:
    SharedReport* report_;
    std::mt19937_64 rng_;
    mutable std::mutex mutex_;
    mutable std::mutex publishMutex_;  // one writer of the shared text at a time
    std::string stage_;
    struct Kind {
        std::string first;
        int count = 0;
    };
    std::vector<std::string> kindOrder_;
    std::map<std::string, Kind> kinds_;
    std::vector<std::string> notes_;
    std::vector<std::string> noted_;
    std::vector<std::string> seen_;
    std::string skipReason_;
};

struct BatteryTest {
    const char* name;
    const char* title;  // one line for --help and progress
    void (*run)(Check&);
    bool usesDisplay;  // editor work when the plug-in has an editor
};

// The tests in the order they run.
const std::vector<BatteryTest>& battery();

// The tests (check_*.cpp).
void checkLifecycle(Check&);
void checkProcessing(Check&);
void checkOutput(Check&);
void checkEvents(Check&);
void checkParameters(Check&);
void checkThreads(Check&);
void checkState(Check&);
void checkEditor(Check&);
void checkCost(Check&);

}  // namespace kx::validate
