// kx_engine_phrases: the engine alone playing phrases that reach every part
// of the sound (every wave detuned apart and gliding, partials, noise, every
// LFO shape, bends), its samples written raw to standard output. Built
// natively and cross-built for another processor, the two outputs must be
// the same bytes (tests/crossmachine/compare_aarch64.sh).
#include "engine/synth_voice.h"

#include <cstdio>
#include <vector>

namespace {

using kx::Oscillator;
using kx::SynthVoice;

struct Patch {
    int wave1, wave2, wave3;
    double detune1, detune2, detune3;  // cents
    double partial2, partial3;
    double porta;  // seconds
    double noise;  // gain on each oscillator
    int lfoShape;  // -1: no LFO
};

void setUp(SynthVoice& v, const Patch& p) {
    Oscillator* const osc[] = {&v.osc1, &v.osc2, &v.osc3};
    const int waves[] = {p.wave1, p.wave2, p.wave3};
    const double detunes[] = {p.detune1, p.detune2, p.detune3};
    const double partials[] = {1.0, p.partial2, p.partial3};
    for (int k = 0; k < 3; ++k) {
        osc[k]->wave = waves[k];
        osc[k]->detuneCents = detunes[k];
        osc[k]->partial = partials[k];
        osc[k]->updateMultiplier();
        osc[k]->portaTime = p.porta;
        osc[k]->noiseGain = p.noise;
        osc[k]->levelGain = 0.3;
        osc[k]->attackTime = 0.02;
        osc[k]->releaseTime = 0.05;
    }
    v.mainGain = 0.8;
    v.bendRange = 7.0;
    v.portaResetSeconds = 2.0;
    v.portaResetSamples = 88200;
    if (p.lfoShape >= 0) {
        v.lfo.shape = p.lfoShape;
        v.lfo.cyclesPerBar = 6.0;
        v.lfoDepth = 0.6;
        v.lfo.syncToHost(true, 0.0, 128.0);
    }
}

// Legato notes a fifth and an octave apart, bends up and down, the release;
// blocks of uneven sizes between the events.
void play(SynthVoice& v, kx::RandomGenerator& random, std::vector<double>& out) {
    auto render = [&](int frames) {
        static const int kBlocks[] = {256, 77, 512, 3, 190};
        for (int b = 0; frames > 0; ++b) {
            const int n = frames < kBlocks[b % 5] ? frames : kBlocks[b % 5];
            const size_t at = out.size();
            out.resize(at + static_cast<size_t>(n));
            v.render(out.data() + at, n, random);
            frames -= n;
        }
    };
    v.noteOn(48);
    render(3000);
    v.noteOn(55);
    render(4000);
    v.setPitchBend(5000);
    render(2500);
    v.noteOn(67);
    v.setPitchBend(-8192);
    render(3500);
    v.noteOff(67);
    v.setPitchBend(0);
    render(3000);
    v.noteOff(55);
    v.noteOff(48);
    render(4000);
}

}  // namespace

int main() {
    const Patch patches[] = {
        {0, 0, 0, -9, 7, 16, 2, 3, 0.2, 0.0, -1},  {1, 1, 1, -9, 7, 16, 1, 1, 0.2, 0.0, -1},
        {2, 2, 2, -9, 7, 16, 1, 1, 0.2, 0.0, -1},  {3, 3, 3, -9, 7, 16, 1, 1, 0.2, 0.0, -1},
        {3, 2, 1, -12, 5, 19, 2, 3, 0.1, 0.1, -1}, {0, 3, 2, 0, 0, 0, 4, 6, 0.0, 0.2, -1},
        {1, 2, 3, -9, 7, 16, 2, 3, 0.15, 0.05, 0}, {1, 2, 3, -9, 7, 16, 2, 3, 0.15, 0.05, 1},
        {1, 2, 3, -9, 7, 16, 2, 3, 0.15, 0.05, 2}, {1, 2, 3, -9, 7, 16, 2, 3, 0.15, 0.05, 3},
        {1, 2, 3, -9, 7, 16, 2, 3, 0.15, 0.05, 4}, {1, 2, 3, -9, 7, 16, 2, 3, 0.15, 0.05, 5},
    };
    std::vector<double> out;
    for (const Patch& p : patches) {
        SynthVoice voice;
        setUp(voice, p);
        kx::RandomGenerator random{71, 89};
        play(voice, random, out);
    }
    const size_t written = std::fwrite(out.data(), sizeof(double), out.size(), stdout);
    return written == out.size() ? 0 : 1;
}
