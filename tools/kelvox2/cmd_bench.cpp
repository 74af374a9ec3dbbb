// kelvox2 bench: how fast plug-ins render a fixed piece, side by side.
#include "subcommands.h"

#include "host/midi_file.h"
#include "host/midi_renderer.h"
#include "host/option_reader.h"
#include "host/plugin_host.h"

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
    "Renders a fixed piece (a held note, then a legato phrase; 44100 Hz, blocks of\n"
    "512 frames) through each plug-in, in interleaved rounds so that all of them\n"
    "see the same machine load, and prints the median real-time factor and the\n"
    "median nanoseconds per sample frame. PLUGIN defaults to the Kelvox2.so next\n"
    "to this program.\n"
    "\n"
    "options:\n"
    "  --rounds N   timed rounds per plug-in, 1..1000 (default 9; one more warms up)\n"
    "  -h, --help   show this help\n";

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;

// A held note of three seconds, then sixteen notes that overlap by 20 ms.
kx::MidiSong workload() {
    kx::MidiSong song;
    song.ticksPerQuarter = 480;
    song.tempo.assign(1, kx::TempoPoint{});
    song.meter.assign(1, kx::MeterPoint{});
    auto add = [&song](double seconds, uint8_t status, uint8_t key, uint8_t velocity) {
        kx::MidiMessage m;
        m.seconds = seconds;
        m.size = 3;
        m.data[0] = status;
        m.data[1] = key;
        m.data[2] = velocity;
        song.messages.push_back(m);
        song.endSeconds = std::max(song.endSeconds, seconds);
    };
    add(0.0, 0x90, 57, 100);
    add(3.0, 0x80, 57, 0);
    const uint8_t phrase[] = {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60, 57};
    double t = 3.25;
    for (uint8_t key : phrase) {
        add(t, 0x90, key, 100);
        add(t + 0.27, 0x80, key, 0);
        t += 0.25;
    }
    std::stable_sort(song.messages.begin(), song.messages.end(),
                     [](const kx::MidiMessage& a, const kx::MidiMessage& b) { return a.seconds < b.seconds; });
    return song;
}

struct Contender {
    std::string path;
    std::string name;
    std::unique_ptr<kx::PluginHost> host;
    std::vector<double> nanoseconds;  // one per timed round
    int64_t frames = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// One full rendering of the piece; returns the wall time of the processing alone.
bool renderOnce(Contender& c, const kx::MidiSong& song, double& nanoseconds, std::string& error) {
    kx::RenderSettings settings;
    settings.sampleRate = kRate;
    settings.blockSize = kBlock;
    settings.tailSeconds = 0.5;
    kx::MidiRenderer renderer(*c.host, song, settings);
    if (!renderer.start(error)) return false;
    auto begin = std::chrono::steady_clock::now();
    while (renderer.renderBlock() > 0) {
    }
    auto end = std::chrono::steady_clock::now();
    renderer.stop();
    nanoseconds = double(std::chrono::duration_cast<std::chrono::nanoseconds>(end - begin).count());
    c.frames = renderer.totalFrames();
    return true;
}

}  // namespace

int runBench(int argc, char** argv) {
    int rounds = 9;
    std::vector<std::string> paths;
    kx::OptionReader r(argc, argv);
    std::string value;
    while (r.next()) {
        if (r.isOperand()) {
            paths.push_back(r.operand());
        } else if (r.is("-h") || r.is("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (r.is("--rounds")) {
            if (!r.value(value) || !kx::parseInteger(value, 1, 1000, rounds)) {
                std::fprintf(stderr, "kelvox2 bench: --rounds needs a count from 1 to 1000, not '%s'\n",
                             value.c_str());
                return 2;
            }
        } else {
            std::fprintf(stderr, "kelvox2 bench: unknown option '%s'\n(see 'kelvox2 bench --help')\n",
                         r.name().c_str());
            return 2;
        }
        if (r.hasUnusedValue()) {
            std::fprintf(stderr, "kelvox2 bench: option '%s' takes no value\n", r.name().c_str());
            return 2;
        }
    }
    if (paths.empty()) paths.push_back(defaultPluginPath());

    std::vector<Contender> contenders;
    for (const std::string& path : paths) {
        Contender c;
        c.path = path;
        c.host = std::make_unique<kx::PluginHost>();
        c.host->hostSampleRate = kRate;
        c.host->hostBlockSize = kBlock;
        std::string error;
        if (!c.host->load(path, &error)) {
            std::fprintf(stderr, "kelvox2 bench: %s\n", error.c_str());
            return 1;
        }
        c.host->open();
        c.name = c.host->effectName();
        if (c.name.empty()) c.name = path.substr(path.find_last_of('/') + 1);
        contenders.push_back(std::move(c));
    }

    const kx::MidiSong song = workload();
    const bool overwrite = isatty(STDERR_FILENO) != 0;
    for (int round = 0; round <= rounds; ++round) {  // round 0 warms caches and lazy set-up
        for (Contender& c : contenders) {
            double ns = 0.0;
            std::string error;
            if (!renderOnce(c, song, ns, error)) {
                std::fprintf(stderr, "kelvox2 bench: %s: %s\n", c.path.c_str(), error.c_str());
                return 1;
            }
            if (round > 0) c.nanoseconds.push_back(ns);
        }
        // Rewrite one line in place on a terminal; a log or pipe gets whole lines.
        std::fprintf(stderr, overwrite ? "\rbench: round %d of %d" : "bench: round %d of %d\n", round, rounds);
        std::fflush(stderr);
    }
    if (overwrite) std::fputc('\n', stderr);

    std::printf("%-24s %7s %14s %12s %16s\n", "plug-in", "outputs", "x real time", "ns/sample", "best ns/sample");
    for (const Contender& c : contenders) {
        double ns = median(c.nanoseconds);
        double best = *std::min_element(c.nanoseconds.begin(), c.nanoseconds.end());
        double audioNs = double(c.frames) / kRate * 1e9;
        std::printf("%-24s %7d %14.1f %12.2f %16.2f\n", c.name.substr(0, 24).c_str(), c.host->effect()->numOutputs,
                    audioNs / ns, ns / double(c.frames), best / double(c.frames));
    }
    std::printf("(%d rounds of %.2f s of audio at %g Hz, blocks of %d; medians)\n", rounds,
                double(contenders.front().frames) / kRate, kRate, kBlock);
    return 0;
}

}  // namespace kelvox2
