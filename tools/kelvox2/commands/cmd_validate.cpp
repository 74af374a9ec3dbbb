// kelvox2 validate: tries VST 2.4 plug-ins the way the most demanding hosts
// and users would. Each test of each plug-in runs in a child process of its
// own (host/child_process.h), so that a crash, an abort or a hang fails
// that test and the run goes on.
#include "kelvox2/commands/subcommands.h"

#include "kelvox2/commands/command_messages.h"
#include "kelvox2/host/child_process.h"
#include "kelvox2/host/option_reader.h"
#include "kelvox2/host/plugin_lookup.h"
#include "kelvox2/validate/battery.h"
#include "kelvox2/validate/report.h"
#include "kelvox2/validate/test_host.h"
#include "x11-harness/xvfb_server.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace kelvox2 {

namespace {

using namespace kx::validate;
using kx::ChildOptions;
using kx::ChildOutcome;
using kx::interrupted;
using kx::runInChild;
using kx::SharedReport;
using kx::stopOnInterrupt;

const char kUsage[] =
    "usage: kelvox2 validate [OPTIONS] [PLUGIN...]\n"
    "\n"
    "Tries each VST 2.4 plug-in (.so) as the most demanding hosts and users would,\n"
    "and prints a line per test with what was tried and what was seen. Every test\n"
    "runs in a child process of its own: a crash, an abort, an exit or a hang of\n"
    "the plug-in fails that test, and the run goes on. PLUGIN defaults to the\n"
    "Kelvox2.so next to this tool. The exit status is 0 only when no test failed\n"
    "(skipped tests do not fail), 1 when one did, 2 for a mistake in the command\n"
    "or a plug-in that does not load.\n"
    "\n"
    "tests:\n"
    "%s"
    "\n"
    "Every block of every test is checked: written in full and not past its end,\n"
    "finite, free of denormals, below +40 dBFS. Text requests get guarded buffers:\n"
    "a plug-in may write the interface's nominal length and a terminator, not more.\n"
    "Editors run on a private Xvfb server (started when the plug-in has an editor)\n"
    "that receives random pointer and key input; without Xvfb, on $DISPLAY with no\n"
    "synthetic input; with neither, the editor test is skipped.\n"
    "\n"
    "options:\n"
    "  --level N         1..10: how much each test repeats and tries (default 3)\n"
    "  --seed N          every random choice follows from it (default 1)\n"
    "  --only NAME[,..]  run only these tests (may be given more than once)\n"
    "  --rates HZ[,..]   the sample rates that processing, output, cost and the\n"
    "                    instances of lifecycle go through (default: 8000 to\n"
    "                    384000, the 13 rates hosts offer)\n"
    "  --json            one JSON document on standard output instead of lines\n"
    "  --timeout SEC     a test that shows no progress for this long is stopped\n"
    "                    and fails as hung (default 60)\n"
    "  --use-display     run editors on $DISPLAY even when Xvfb is there\n"
    "  -h, --help        show this help\n";

void printUsage(FILE* out) {
    std::string tests;
    for (const BatteryTest& t : battery())
        tests += "  " + std::string(t.name) + std::string(12 - std::strlen(t.name), ' ') + t.title + "\n";
    std::fprintf(out, kUsage, tests.c_str());
}

// Learns the plug-in's facts in a child process: the entry point itself
// may crash.
bool probe(const std::string& path, const Settings& settings, double hangSeconds, PluginFacts* facts,
           std::string* why) {
    ChildOptions options;
    options.hangSeconds = hangSeconds;
    ChildOutcome outcome = runInChild(
        [&](SharedReport& report) {
            PluginFacts found;
            found.path = path;
            Check check(settings, found, &report, settings.seed);
            check.stage("loading the module");
            Module module;
            std::string error;
            if (!module.load(path, &error)) {
                report.setText("error=" + error + "\n");
                return;
            }
            check.stage("calling the entry point");
            Instance instance(module, check);
            if (!instance.create()) {
                const Findings f = check.findings();
                report.setText("error=" + (f.failures.empty() ? std::string("no effect") : f.failures.front()) + "\n");
                return;
            }
            check.stage("asking the plug-in about itself");
            const AEffect* e = instance.effect();
            found.name = instance.text(effGetEffectName, 0, kVstMaxEffectNameLen).text;
            found.vendor = instance.text(effGetVendorString, 0, kVstMaxVendorStrLen).text;
            found.product = instance.text(effGetProductString, 0, kVstMaxProductStrLen).text;
            found.uniqueID = e->uniqueID;
            found.version = e->version;
            found.numParams = e->numParams;
            found.numPrograms = e->numPrograms;
            found.numInputs = e->numInputs;
            found.numOutputs = e->numOutputs;
            found.flags = e->flags;
            found.category = instance.dispatch(effGetPlugCategory);
            check.stage("closing the first instance");
            instance.close();
            module.unload();
            report.setText(found.serialise());
        },
        options);
    if (outcome.end != ChildOutcome::End::Finished) {
        *why = outcome.describe(hangSeconds);
        return false;
    }
    if (outcome.report.rfind("error=", 0) == 0) {
        *why = outcome.report.substr(6);
        while (!why->empty() && why->back() == '\n')
            why->pop_back();
        return false;
    }
    if (!facts->parse(outcome.report)) {
        *why = "the plug-in's facts did not come back";
        return false;
    }
    return true;
}

// Progress on standard error: a line rewritten in place on a terminal, a
// line every fifteen seconds otherwise.
class Progress {
public:
    Progress() : terminal_(::isatty(STDERR_FILENO) != 0) {}
    void show(const std::string& plugin, const char* test, const std::string& stage, double seconds) {
        if (terminal_) {
            if (seconds - lastShown_ < 0.2)
                return;
            std::string line = plugin + " " + test + ": " + stage;
            if (line.size() > 100)
                line = line.substr(0, 97) + "...";
            std::fprintf(stderr, "\r\033[K%s (%.0f s)", line.c_str(), seconds);
        } else {
            if (seconds < 15.0 || seconds - lastShown_ < 15.0)
                return;
            std::fprintf(stderr, "validate: %s %s still running after %.0f s: %s\n", plugin.c_str(), test, seconds,
                         stage.c_str());
        }
        std::fflush(stderr);
        lastShown_ = seconds;
    }
    void clear() {
        if (terminal_)
            std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        lastShown_ = -1e9;
    }

private:
    bool terminal_;
    double lastShown_ = -1e9;
};

// The display for editor work, decided once: a private Xvfb server when
// there is one, else $DISPLAY without synthetic input.
class Displays {
public:
    explicit Displays(bool useCurrent) : useCurrent_(useCurrent) {}
    void prepare(Settings& settings) {
        if (decided_) {
            settings.display = display_;
            settings.syntheticInput = synthetic_;
            return;
        }
        decided_ = true;
        const char* current = std::getenv("DISPLAY");
        if (!useCurrent_ && kx::x11::XvfbServer::available()) {
            std::string error;
            // A screen wide enough for two editors side by side.
            if (server_.start(kx::x11::ScreenSize{1920, 1200, 24}, &error)) {
                display_ = server_.name();
                synthetic_ = true;
            } else {
                CommandMessages("validate").say(error);
                display_.clear();
            }
        }
        if (display_.empty() && current && *current) {
            display_ = current;
            synthetic_ = false;
        }
        settings.display = display_;
        settings.syntheticInput = synthetic_;
    }

private:
    bool useCurrent_;
    bool decided_ = false;
    bool synthetic_ = false;
    std::string display_;
    kx::x11::XvfbServer server_;
};

// "44100,96000" into rates, each once, in the order given.
bool parseRates(const std::string& text, std::vector<double>& rates) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        double rate = 0.0;
        if (!kx::parseNumber(text.substr(start, end - start), 1000.0, 768000.0, rate))
            return false;
        if (std::find(rates.begin(), rates.end(), rate) == rates.end())
            rates.push_back(rate);
        start = end + 1;
    }
    return !rates.empty();
}

TestResult runTest(const BatteryTest& test, std::size_t index, const PluginFacts& facts, const Settings& settings,
                   double hangSeconds, Progress& progress) {
    TestResult result;
    result.name = test.name;
    ChildOptions options;
    options.hangSeconds = hangSeconds;
    options.display = settings.display;
    const std::string shortName = facts.name.empty() ? facts.path : facts.name;
    options.progress = [&](const std::string& stage, double seconds) {
        progress.show(shortName, test.name, stage, seconds);
    };
    const std::uint64_t testSeed = settings.seed ^ ((index + 1) * 0x9E3779B97F4A7C15ull);
    ChildOutcome outcome = runInChild(
        [&](SharedReport& report) {
            Check check(settings, facts, &report, testSeed);
            check.test = test.name;
            try {
                test.run(check);
            } catch (const std::exception& e) {
                check.fail("exception", "the test stopped on an exception: %s", e.what());
            }
            check.publish(true);
        },
        options);
    progress.clear();
    result.seconds = outcome.seconds;
    result.findings = Findings::parse(outcome.report);
    switch (outcome.end) {
    case ChildOutcome::End::Finished:
        if (outcome.exitStatus != 0) {
            result.ending = "the process ended with status " + std::to_string(outcome.exitStatus) +
                            " after the test (a sanitizer's report?)";
            result.findings.verdict = Verdict::Fail;
        }
        break;
    default:
        result.ending = outcome.describe(hangSeconds);
        result.findings.verdict = Verdict::Fail;
        break;
    }
    // How the process ended is the test's first failure, in every report.
    if (!result.ending.empty())
        result.findings.failures.insert(result.findings.failures.begin(), result.ending);
    if (result.findings.verdict == Verdict::Fail)
        result.output = outcome.output;
    return result;
}

}  // namespace

int runValidate(int argc, char** argv) {
    Settings settings;
    std::vector<std::string> paths, only;
    bool json = false, useDisplay = false;
    double hangSeconds = 60.0;
    kx::OptionReader r(argc, argv);
    std::string value;
    const CommandMessages messages("validate");
    while (r.next()) {
        if (r.isOperand()) {
            paths.push_back(r.operand());
            continue;
        }
        if (r.is("-h") || r.is("--help")) {
            printUsage(stdout);
            return 0;
        } else if (r.is("--level")) {
            if (!r.value(value) || !kx::parseInteger(value, 1, 10, settings.level))
                return messages.usageError("--level needs a number from 1 to 10, not '" + value + "'");
        } else if (r.is("--seed")) {
            char* end = nullptr;
            if (!r.value(value) || value.empty() || value[0] == '-' ||
                (settings.seed = std::strtoull(value.c_str(), &end, 10), *end != '\0'))
                return messages.usageError("--seed needs a whole number, not '" + value + "'");
        } else if (r.is("--only")) {
            if (!r.value(value) || value.empty())
                return messages.usageError("--only needs a test name");
            std::size_t start = 0;
            while (start <= value.size()) {
                std::size_t end = value.find(',', start);
                if (end == std::string::npos)
                    end = value.size();
                const std::string name = value.substr(start, end - start);
                bool known = false;
                for (const BatteryTest& t : battery())
                    known = known || name == t.name;
                if (!known)
                    return messages.usageError("there is no test named '" + name + "'");
                only.push_back(name);
                start = end + 1;
            }
        } else if (r.is("--rates")) {
            if (!r.value(value) || !parseRates(value, settings.rates))
                return messages.usageError(
                    "--rates needs sample rates from 1000 to 768000 Hz separated by commas, not '" + value + "'");
        } else if (r.is("--json")) {
            json = true;
        } else if (r.is("--use-display")) {
            useDisplay = true;
        } else if (r.is("--timeout")) {
            if (!r.value(value) || !kx::parseNumber(value, 1.0, 86400.0, hangSeconds))
                return messages.usageError("--timeout needs seconds from 1 to 86400, not '" + value + "'");
        } else {
            return messages.usageError("unknown option '" + r.name() + "'");
        }
        if (r.hasUnusedValue())
            return messages.usageError("option '" + r.name() + "' takes no value");
    }
    if (paths.empty())
        paths.push_back(defaultPluginPath());

    std::vector<const BatteryTest*> tests;
    for (const BatteryTest& t : battery()) {
        bool chosen = only.empty();
        for (const std::string& name : only)
            chosen = chosen || name == t.name;
        if (chosen)
            tests.push_back(&t);
    }

    stopOnInterrupt();
    FILE* out = json ? stderr : stdout;
    if (!json)
        std::fprintf(out, "kelvox2 validate: level %d, seed %llu, %zu test%s per plug-in\n\n", settings.level,
                     static_cast<unsigned long long>(settings.seed), tests.size(), tests.size() == 1 ? "" : "s");
    Progress progress;
    Displays displays(useDisplay);
    std::vector<PluginResult> results;
    Totals all;
    bool unloaded = false;
    for (std::string path : paths) {
        // A name is found as the other commands find it; one that is not
        // found fails to load, with the places it was looked for.
        std::string located, notFound;
        if (kx::locatePlugin(path, located, notFound))
            path = located;
        PluginResult plugin;
        plugin.facts.path = path;
        std::string why;
        progress.show(path, "load", "loading", 0.0);
        plugin.loaded = notFound.empty() && probe(path, settings, hangSeconds, &plugin.facts, &why);
        if (!notFound.empty())
            why = notFound;
        unloaded = unloaded || !plugin.loaded;
        progress.clear();
        plugin.facts.path = path;
        if (plugin.facts.name.empty())
            plugin.facts.name = path.substr(path.find_last_of('/') + 1);
        if (!json)
            printPluginHeading(out, plugin);
        Totals totals;
        if (!plugin.loaded) {
            TestResult load;
            load.name = "load";
            load.findings.verdict = Verdict::Fail;
            load.findings.failures.push_back(why);
            plugin.tests.push_back(load);
            totals.add(load);
            if (!json)
                printTestLine(out, load);
        } else {
            for (const BatteryTest* test : tests) {
                if (interrupted())
                    break;
                Settings forTest = settings;
                if (test->usesDisplay && plugin.facts.hasEditor())
                    displays.prepare(forTest);
                const std::size_t index = static_cast<std::size_t>(test - battery().data());
                TestResult t = runTest(*test, index, plugin.facts, forTest, hangSeconds, progress);
                totals.add(t);
                if (!json)
                    printTestLine(out, t);
                plugin.tests.push_back(std::move(t));
            }
        }
        all.passed += totals.passed;
        all.failed += totals.failed;
        all.skipped += totals.skipped;
        if (!json) {
            printTotals(out, totals, "  this plug-in");
            std::fputc('\n', out);
        }
        results.push_back(std::move(plugin));
        if (interrupted())
            break;
    }
    if (interrupted()) {
        messages.say("interrupted");
        return 130;
    }
    if (json)
        writeJson(stdout, settings, results, all);
    else if (paths.size() > 1)
        printTotals(out, all, "all plug-ins");
    return unloaded ? 2 : all.failed == 0 ? 0 : 1;
}

}  // namespace kelvox2
