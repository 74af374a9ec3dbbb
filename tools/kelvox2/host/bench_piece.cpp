#include "kelvox2/host/bench_piece.h"

#include "kelvox2/host/plugin_presets.h"
#include "params/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kx {

namespace {

void addMessage(MidiSong& song, double seconds, uint8_t status, uint8_t data1, uint8_t data2) {
    MidiMessage m;
    m.seconds = seconds;
    m.size = 3;
    m.data[0] = status;
    m.data[1] = data1;
    m.data[2] = data2;
    song.messages.push_back(m);
    song.endSeconds = std::max(song.endSeconds, seconds);
}

// A bend of `amount` (-1..1 of the range) as the two data bytes.
void addBend(MidiSong& song, double seconds, double amount) {
    int value = 8192 + static_cast<int>(std::lround(amount * 8191.0));
    value = std::clamp(value, 0, 16383);
    addMessage(song, seconds, 0xE0, static_cast<uint8_t>(value & 0x7F), static_cast<uint8_t>(value >> 7));
}

}  // namespace

MidiSong benchPhrase(double seconds) {
    MidiSong song;
    song.ticksPerQuarter = 480;
    song.tempo.assign(1, TempoPoint{});
    song.meter.assign(1, MeterPoint{});

    static const uint8_t kRun[] = {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60};
    static const int kTranspose[] = {0, 5, -7, 3, -2, 7, -5, 2};
    constexpr double kNote = 0.25, kOverlap = 0.02, kRest = 0.25, kBendStep = 0.005;
    const double runLength = kNote * (sizeof kRun) + kRest;
    for (int run = 0; run * runLength < seconds; ++run) {
        const double start = run * runLength;
        const int shift = kTranspose[run % 8];
        for (size_t i = 0; i < sizeof kRun; ++i) {
            const double on = start + kNote * double(i);
            if (on >= seconds)
                break;
            const auto key = static_cast<uint8_t>(kRun[i] + shift);
            addMessage(song, on, 0x90, key, 100);
            addMessage(song, std::min(on + kNote + kOverlap, seconds), 0x80, key, 0);
        }
        // Up and back over the fourth to the seventh note.
        const double bendStart = start + 3 * kNote, bendLength = 4 * kNote;
        for (double t = 0.0; t <= bendLength + 1e-9 && bendStart + t < seconds; t += kBendStep) {
            const double x = t / bendLength;
            addBend(song, bendStart + t, (x < 0.5 ? x : 1.0 - x) * 2.0 * 0.67);
        }
    }
    song.endSeconds = std::max(song.endSeconds, seconds);
    std::stable_sort(song.messages.begin(), song.messages.end(),
                     [](const MidiMessage& a, const MidiMessage& b) { return a.seconds < b.seconds; });
    return song;
}

const std::vector<BenchPatch>& benchPatches() {
    static const std::vector<BenchPatch> patches = {
        {"default", "three sines", {}},
        {"saw3",
         "three saws, triangle tremolo at depth 50 %",
         {{"Wave1", "Sawtooth"},
          {"Wave2", "Sawtooth"},
          {"Wave3", "Sawtooth"},
          {"LFOWave", "Triangle"},
          {"LFODepth", "50"}}},
        {"glide", "three sines gliding 0.3 s", {{"Porta1", "0.3"}, {"Porta2", "0.3"}, {"Porta3", "0.3"}}},
        {"detuned",
         "saw, square and triangle detuned apart, gliding 0.3 s",
         {{"Wave1", "Sawtooth"},
          {"Wave2", "Square"},
          {"Wave3", "Triangle"},
          {"Detune1", "-9"},
          {"Detune2", "7"},
          {"Detune3", "16"},
          {"Porta1", "0.3"},
          {"Porta2", "0.3"},
          {"Porta3", "0.3"}}},
        {"everything",
         "detuned gliding waves with partials, noise and a random LFO",
         {{"Wave1", "Sawtooth"},
          {"Wave2", "Square"},
          {"Wave3", "Triangle"},
          {"Partial2", "2"},
          {"Partial3", "3"},
          {"Detune1", "-9"},
          {"Detune2", "7"},
          {"Detune3", "16"},
          {"Porta1", "0.3"},
          {"Porta2", "0.3"},
          {"Porta3", "0.3"},
          {"Noise1", "-30"},
          {"Noise2", "-36"},
          {"Noise3", "-40"},
          {"LFOWave", "Random"},
          {"LFODepth", "30"}}},
    };
    return patches;
}

const BenchPatch* findBenchPatch(const std::string& name) {
    for (const BenchPatch& p : benchPatches())
        if (name == p.name)
            return &p;
    return nullptr;
}

namespace {

// The patches name the instrument's parameters exactly, in any letter case.
int findParameterByName(PluginHost& host, const std::string& name) {
    for (int i = 0; i < host.numParams(); ++i)
        if (equalsIgnoringCase(host.paramName(i).c_str(), name.c_str()))
            return i;
    return -1;
}

}  // namespace

bool typeSetting(PluginHost& host, const std::string& name, const std::string& text, std::string& error) {
    const int index = findParameterByName(host, name);
    if (index < 0) {
        error = "the plug-in has no parameter '" + name + "'";
        return false;
    }
    if (!host.string2parameter(index, text)) {
        error = "the plug-in did not accept '" + text + "' for " + host.paramName(index);
        return false;
    }
    return true;
}

bool patchFits(PluginHost& host, const BenchPatch& patch) {
    for (const auto& [name, text] : patch.settings)
        if (findParameterByName(host, name) < 0)
            return false;
    return true;
}

}  // namespace kx
