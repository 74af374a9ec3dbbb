// What `kelvox2 bench` and the benchmark programs play: a legato phrase with
// pitch bends, and the named patches of the instrument that it is played on.
#pragma once

#include "kelvox2/host/midi_file.h"
#include "kelvox2/host/plugin_host.h"

#include <string>
#include <vector>

namespace kx {

// A monophonic phrase at 120 bpm, `seconds` long: runs of fifteen notes of a
// quarter second that overlap by 20 ms (legato, so a glide or a held envelope
// carries from note to note), a quarter-second rest after each run, and in
// every run a bend up two thirds of the way and back, one message per 5 ms.
MidiSong benchPhrase(double seconds);

// A patch as the values a user would type, parameter by parameter.
struct BenchPatch {
    const char* name;
    const char* description;
    std::vector<std::pair<std::string, std::string>> settings;  // NAME, TEXT
};

// default (three sines), saw3 (three saws with a triangle tremolo at depth
// 50 %), glide (three sines with 0.3 s of portamento on each), detuned
// (three different waves detuned apart, gliding) and everything (that with
// partials, noise and a random LFO besides).
const std::vector<BenchPatch>& benchPatches();
const BenchPatch* findBenchPatch(const std::string& name);

// Types NAME=TEXT into the plug-in. False with a message when the plug-in
// has no such parameter or refuses the text.
bool typeSetting(PluginHost& host, const std::string& name, const std::string& text, std::string& error);

// True when the plug-in has a parameter of each name the patch sets: the
// patches are the instrument's own, other plug-ins play their defaults.
bool patchFits(PluginHost& host, const BenchPatch& patch);

}  // namespace kx
