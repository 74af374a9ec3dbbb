// kelvox2 bench: how fast plug-ins render the same phrase, side by side, and
// (with --instances) what creating an instance of each one costs.
#include "kelvox2/commands/subcommands.h"

#include "kelvox2/commands/command_messages.h"

#include "kelvox2/commands/bench_instances.h"
#include "kelvox2/host/bench_piece.h"
#include "kelvox2/host/midi_file.h"
#include "kelvox2/host/midi_renderer.h"
#include "kelvox2/host/option_reader.h"
#include "kelvox2/host/plugin_host.h"
#include "kelvox2/host/plugin_presets.h"
#include "kelvox2/host/typed_value.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace kelvox2 {

namespace {

const char kUsage[] =
    "usage: kelvox2 bench [PLUGIN...] [OPTIONS]\n"
    "\n"
    "Plays the same phrase (legato runs of notes with pitch bends, 44100 Hz, blocks\n"
    "of 512 frames) through each plug-in, in interleaved rounds so that all of them\n"
    "see the same machine load, and prints the median real-time factor and the\n"
    "median nanoseconds per sample frame, then the patches side by side.\n"
    "Without PLUGIN: the Kelvox2.so next to this program, then Nekobi and amsynth\n"
    "from /usr/lib/vst where they are installed.\n"
    "\n"
    "A patch sets Kelvox2's parameters; a plug-in without them plays as loaded:\n"
    "  default   three sines\n"
    "  saw3      three saws, triangle tremolo at depth 50 %\n"
    "  glide     three sines gliding 0.3 s\n"
    "  detuned   saw, square and triangle detuned apart, gliding 0.3 s\n"
    "  everything  that with partials, noise and a random LFO besides\n"
    "\n"
    "options:\n"
    "  --patch NAME      a patch above, or all (default); repeatable\n"
    "  --set NAME=TEXT   type TEXT into the parameter NAME of each plug-in that has\n"
    "                    it, after the patch; repeatable\n"
    "  --seconds S       length of the phrase, 1..600 (default 60)\n"
    "  --rounds N        timed rounds per plug-in, 1..1000 (default 9; one more\n"
    "                    warms up)\n"
    "  --instances       instead: the time and memory that loading the plug-in,\n"
    "                    its first instance and each further one take, each\n"
    "                    plug-in in a fresh process\n"
    "  -h, --help        show this help\n";

const char* const kPeers[] = {"/usr/lib/vst/Nekobi-vst.so", "/usr/lib/vst/amsynth_vst.so"};

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;

struct Plugin {
    std::string path;
    std::string label;
};

// One instance playing one patch (or as loaded) through every round.
struct Seat {
    size_t plugin = 0;
    int patch = -1;  // -1: as loaded, for every patch that does not fit
    std::unique_ptr<kx::PluginHost> host;
    std::vector<double> nanoseconds;  // one per timed round
    int64_t frames = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

const CommandMessages kReport("bench");

// One full rendering of the piece; returns the wall time of the processing alone.
bool renderOnce(Seat& seat, const kx::MidiSong& song, double& nanoseconds, std::string& error) {
    kx::RenderSettings settings;
    settings.sampleRate = kRate;
    settings.blockSize = kBlock;
    settings.tailSeconds = 0.5;
    kx::MidiRenderer renderer(*seat.host, song, settings);
    if (!renderer.start(error))
        return false;
    auto begin = std::chrono::steady_clock::now();
    while (renderer.renderBlock() > 0) {
    }
    auto end = std::chrono::steady_clock::now();
    renderer.stop();
    nanoseconds = double(std::chrono::duration_cast<std::chrono::nanoseconds>(end - begin).count());
    seat.frames = renderer.totalFrames();
    return true;
}

// Labels from the plug-ins' names; a name that comes twice is numbered, and
// the paths are listed under the tables.
void labelPlugins(std::vector<Plugin>& plugins, const std::vector<std::string>& names) {
    for (size_t i = 0; i < plugins.size(); ++i) {
        std::string name = names[i].empty() ? plugins[i].path.substr(plugins[i].path.find_last_of('/') + 1) : names[i];
        if (std::count(names.begin(), names.end(), names[i]) > 1) {
            const auto n = std::count(names.begin(), names.begin() + long(i) + 1, names[i]);
            name += " #" + std::to_string(n);
        }
        plugins[i].label = name;
    }
}

struct Options {
    std::vector<std::string> paths;
    std::vector<int> patches;
    std::vector<std::pair<std::string, std::string>> sets;
    double seconds = 60.0;
    int rounds = 9;
    bool instances = false;
};

EarlyExit parseOptions(int argc, char** argv, Options& o) {
    kx::OptionReader r(argc, argv);
    std::string value;
    const auto& patches = kx::benchPatches();
    while (r.next()) {
        if (r.isOperand()) {
            o.paths.push_back(r.operand());
        } else if (r.is("-h") || r.is("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (r.is("--rounds")) {
            if (!r.value(value) || !kx::parseInteger(value, 1, 1000, o.rounds))
                return kReport.usageError("--rounds needs a count from 1 to 1000, not '" + value + "'");
        } else if (r.is("--seconds")) {
            if (!r.value(value) || !kx::parseNumber(value, 1, 600, o.seconds))
                return kReport.usageError("--seconds needs a length from 1 to 600, not '" + value + "'");
        } else if (r.is("--patch")) {
            if (!r.value(value))
                return kReport.usageError("--patch needs a name: default, saw3, glide, detuned, everything or all");
            if (value == "all") {
                for (size_t i = 0; i < patches.size(); ++i)
                    o.patches.push_back(int(i));
            } else if (const kx::BenchPatch* p = kx::findBenchPatch(value)) {
                o.patches.push_back(int(p - patches.data()));
            } else {
                return kReport.usageError("no patch named '" + value +
                                          "' (there are default, saw3, glide, detuned, everything and all)");
            }
        } else if (r.is("--set")) {
            size_t eq = r.value(value) ? value.find('=') : std::string::npos;
            if (eq == std::string::npos || eq == 0)
                return kReport.usageError("--set needs NAME=TEXT, not '" + value + "'");
            o.sets.emplace_back(value.substr(0, eq), value.substr(eq + 1));
        } else if (r.is("--instances")) {
            o.instances = true;
        } else {
            return kReport.usageError("unknown option '" + r.name() + "'");
        }
        if (r.hasUnusedValue())
            return kReport.usageError("option '" + r.name() + "' takes no value");
    }
    if (o.paths.empty()) {
        o.paths.push_back(defaultPluginPath());
        for (const char* peer : kPeers)
            if (access(peer, R_OK) == 0)
                o.paths.push_back(peer);
    }
    if (o.patches.empty())
        for (size_t i = 0; i < patches.size(); ++i)
            o.patches.push_back(int(i));
    // Each patch once, in the order given.
    std::vector<int> unique;
    for (int p : o.patches)
        if (std::find(unique.begin(), unique.end(), p) == unique.end())
            unique.push_back(p);
    o.patches = unique;
    return kCarryOn;
}

std::unique_ptr<kx::PluginHost> loadHost(const std::string& path, std::string& error) {
    auto host = std::make_unique<kx::PluginHost>();
    host->hostSampleRate = kRate;
    host->hostBlockSize = kBlock;
    if (!host->load(path, &error))
        return nullptr;
    host->open();
    return host;
}

// Sets the seat's patch, then the --set values the plug-in has a parameter for.
bool applySettings(Seat& seat, const Options& o, std::string& error) {
    if (seat.patch >= 0)
        for (const auto& [name, text] : kx::benchPatches()[size_t(seat.patch)].settings)
            if (!kx::typeSetting(*seat.host, name, text, error))
                return false;
    // --set values are read as a musician types them, as render reads them.
    for (const auto& [name, text] : o.sets) {
        std::string unused;
        const int index = kx::findParameterNamed(*seat.host, name, unused);
        if (index < 0)
            continue;
        std::string warning;
        if (!kx::setTypedValue(*seat.host, kx::probeParameter(*seat.host, index), text, warning, error))
            return false;
        if (!warning.empty())
            kReport.say(warning);
    }
    return true;
}

void printTables(const std::vector<Plugin>& plugins, const std::vector<Seat>& seats, const Options& o) {
    const auto& patches = kx::benchPatches();
    auto seatFor = [&](size_t plugin, int patch) -> const Seat* {
        const Seat* loaded = nullptr;
        for (const Seat& s : seats) {
            if (s.plugin != plugin)
                continue;
            if (s.patch == patch)
                return &s;
            if (s.patch < 0)
                loaded = &s;
        }
        return loaded;
    };
    auto nsPerSample = [](const Seat& s) { return median(s.nanoseconds) / double(s.frames); };

    std::printf("%-32s %-9s %12s %12s %16s\n", "plug-in", "patch", "x real time", "ns/sample", "best ns/sample");
    for (const Seat& s : seats) {
        const double ns = median(s.nanoseconds);
        const double best = *std::min_element(s.nanoseconds.begin(), s.nanoseconds.end());
        const double audioNs = double(s.frames) / kRate * 1e9;
        std::printf("%-32s %-9s %12.1f %12.2f %16.2f\n", plugins[s.plugin].label.substr(0, 32).c_str(),
                    s.patch < 0 ? "(own)" : patches[size_t(s.patch)].name, audioNs / ns, ns / double(s.frames),
                    best / double(s.frames));
    }

    // Patch by patch, every plug-in's median and the first one's ratio to the others.
    std::printf("\nns/sample, side by side");
    if (plugins.size() > 1)
        std::printf(" (/ X: %s's time over X's; below 1, %s is the faster)", plugins[0].label.c_str(),
                    plugins[0].label.c_str());
    std::printf("\n%-9s", "patch");
    std::vector<std::string> ratios;
    for (const Plugin& p : plugins)
        std::printf(" %12s", p.label.c_str());
    for (size_t i = 1; i < plugins.size(); ++i) {
        ratios.push_back("/ " + plugins[i].label);
        std::printf(" %12s", ratios.back().c_str());
    }
    std::printf("\n");
    for (int patch : o.patches) {
        std::printf("%-9s", patches[size_t(patch)].name);
        std::vector<double> row;
        for (size_t i = 0; i < plugins.size(); ++i) {
            row.push_back(nsPerSample(*seatFor(i, patch)));
            std::printf(" %*.2f", int(std::max<size_t>(12, plugins[i].label.size())), row.back());
        }
        for (size_t i = 1; i < plugins.size(); ++i)
            std::printf(" %*.2f", int(std::max<size_t>(12, ratios[i - 1].size())), row[0] / row[i]);
        std::printf("\n");
    }
    for (const Plugin& p : plugins)
        if (p.label.find(" #") != std::string::npos)
            std::printf("%s: %s\n", p.label.c_str(), p.path.c_str());
    std::printf("(%d rounds of %.2f s of audio at %g Hz, blocks of %d; medians)\n", o.rounds,
                double(seats.front().frames) / kRate, kRate, kBlock);
}

}  // namespace

int runBench(int argc, char** argv) {
    Options o;
    if (EarlyExit exit = parseOptions(argc, argv, o))
        return *exit;
    if (o.instances)
        return runInstanceBench(o.paths);

    std::vector<Plugin> plugins;
    std::vector<std::string> names;
    std::vector<Seat> seats;
    for (const std::string& path : o.paths) {
        std::string error;
        auto probe = loadHost(path, error);
        if (!probe)
            return kReport.failure(error);
        Plugin plugin;
        plugin.path = path;
        // The patches are the instrument's own: a plug-in without their
        // parameters gets one seat and plays as loaded in every row.
        bool own = true;
        for (const kx::BenchPatch& patch : kx::benchPatches())
            own = own && kx::patchFits(*probe, patch);
        for (size_t k = 0; k < (own ? o.patches.size() : 1); ++k) {
            Seat seat;
            seat.plugin = plugins.size();
            seat.patch = own ? o.patches[k] : -1;
            seat.host = probe ? std::move(probe) : loadHost(path, error);
            if (!seat.host)
                return kReport.failure(error);
            if (!applySettings(seat, o, error))
                return kReport.failure(path + ": " + error);
            seats.push_back(std::move(seat));
        }
        names.push_back(seats.back().host->effectName());
        plugins.push_back(plugin);
    }
    for (const auto& [name, text] : o.sets) {
        bool anyHas = false;
        for (const Seat& s : seats) {
            std::string unused;
            anyHas = anyHas || kx::findParameterNamed(*s.host, name, unused) >= 0;
        }
        if (!anyHas)
            return kReport.failure("--set: no plug-in has a parameter '" + name + "'");
    }
    labelPlugins(plugins, names);

    const kx::MidiSong song = kx::benchPhrase(o.seconds);
    const bool overwrite = isatty(STDERR_FILENO) != 0;
    for (int round = 0; round <= o.rounds; ++round) {  // round 0 warms caches and lazy set-up
        for (Seat& s : seats) {
            double ns = 0.0;
            std::string error;
            if (!renderOnce(s, song, ns, error))
                return kReport.failure(plugins[s.plugin].path + ": " + error);
            if (round > 0)
                s.nanoseconds.push_back(ns);
        }
        // Rewrite one line in place on a terminal; a log or pipe gets whole lines.
        std::fprintf(stderr, overwrite ? "\rbench: round %d of %d" : "bench: round %d of %d\n", round, o.rounds);
        std::fflush(stderr);
    }
    if (overwrite)
        std::fputc('\n', stderr);
    printTables(plugins, seats, o);
    return 0;
}

}  // namespace kelvox2
