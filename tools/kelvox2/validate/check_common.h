// Pieces the tests share: the sample rates and block sizes hosts use, and
// the first step of every test (its own load of the module).
#pragma once

#include "kelvox2/validate/battery.h"
#include "kelvox2/validate/score.h"
#include "kelvox2/validate/test_host.h"

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace kx::validate {

inline constexpr std::array<double, 13> kSampleRates = {8000,  11025, 16000,  22050,  32000,  44100, 48000,
                                                        88200, 96000, 176400, 192000, 352800, 384000};
inline constexpr std::array<int, 8> kBlockSizes = {1, 2, 3, 64, 511, 512, 4096, 8192};

// The rates the tests try: every one of kSampleRates, or those of --rates.
std::vector<double> sampleRates(const Check& check);
// Those of `wanted` that may be tried; the first rate tried when none may.
std::vector<double> ratesAmong(const Check& check, std::initializer_list<double> wanted);

// Loads the plug-in's module for this test; a failure is the test's failure.
bool loadModule(Check& check, Module& module);

// Parameter and program counts clamped to what a test walks through.
int paramCount(const Check& check);
int programCount(const Check& check);

// Seconds to wait for silence: the plug-in's own tail when it names a long
// one (up to two minutes), else ten.
double tailLimit(Instance& instance);

// "once", "twice", "5 times".
std::string times(int n);

// A note held at the start, as instruments need one to make any sound.
void holdNote(Instance& instance, int key = 60, int velocity = 100);

}  // namespace kx::validate
