// The instrument as a host drives it: the bench patches played legato with
// bends through processReplacing ("per_sample" = time per sample, SI prefix
// n = ns), and the cost of creating and closing an instance.
#include <benchmark/benchmark.h>

#include <vector>

#include "instrument/synth_effect.h"
#include "plugin/vst_abi.h"

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : opcode == audioMasterGetSampleRate ? 44100 : 0;
}

struct Patch {
    int index;
    float value;
};

// Stored values: three saws (entry 3 of 4) with a triangle tremolo at 50 %;
// 0.3 s of portamento on each oscillator.
const std::vector<Patch> kSaw3 = {
    {kx::kWave1, 1.0f}, {kx::kWave2, 1.0f}, {kx::kWave3, 1.0f}, {kx::kLFOWave, 0.2f}, {kx::kLFODepth, 0.5f}};
const std::vector<Patch> kGlide = {{kx::kPorta1, 0.3f}, {kx::kPorta2, 0.3f}, {kx::kPorta3, 0.3f}};
// The same with oscillators 2 and 3 detuned by +7 and -7 cents (stored
// (cents + 99) / 198), so that no two play in unison and share no work.
const std::vector<Patch> kSaw3Detuned = {
    {kx::kWave1, 1.0f},    {kx::kWave2, 1.0f},           {kx::kWave3, 1.0f},         {kx::kLFOWave, 0.2f},
    {kx::kLFODepth, 0.5f}, {kx::kDetune2, 106 / 198.0f}, {kx::kDetune3, 92 / 198.0f}};
const std::vector<Patch> kGlideDetuned = {{kx::kPorta1, 0.3f},
                                          {kx::kPorta2, 0.3f},
                                          {kx::kPorta3, 0.3f},
                                          {kx::kDetune2, 106 / 198.0f},
                                          {kx::kDetune3, 92 / 198.0f}};

void play(benchmark::State& state, const std::vector<Patch>& patch) {
    AEffect* effect = kx::createEffectInstance(host)->getAeffect();
    for (const Patch& p : patch)
        effect->setParameter(effect, p.index, p.value);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    constexpr int kBlock = 512;
    std::vector<float> out(kBlock);
    float* outs[1] = {out.data()};
    // A block of events: the next key of a scale before the last one ends
    // (every 22 blocks, a quarter second), and a bend in every block.
    struct Events {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[3];
    } list{};
    VstMidiEvent midi[3] = {};
    for (VstMidiEvent& m : midi) {
        m.type = kVstMidiType;
        m.byteSize = sizeof m;
    }
    long blocks = 0;
    for (auto _ : state) {
        int n = 0;
        const int key = 60 + static_cast<int>(blocks / 22 % 12);
        if (blocks % 22 == 0) {
            midi[n].deltaFrames = 0;
            midi[n].midiData[0] = static_cast<char>(0x90);
            midi[n].midiData[1] = static_cast<char>(key);
            midi[n].midiData[2] = 100;
            ++n;
            midi[n].deltaFrames = 1;
            midi[n].midiData[0] = static_cast<char>(0x80);
            midi[n].midiData[1] = static_cast<char>(key == 60 ? 71 : key - 1);
            ++n;
        }
        midi[n].deltaFrames = 256;
        midi[n].midiData[0] = static_cast<char>(0xE0);
        midi[n].midiData[2] = static_cast<char>(64 + blocks % 16);
        ++n;
        list.numEvents = n;
        for (int i = 0; i < n; ++i)
            list.events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
        effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f);
        effect->processReplacing(effect, nullptr, outs, kBlock);
        benchmark::DoNotOptimize(out.data());
        ++blocks;
    }
    state.counters["per_sample"] = benchmark::Counter(static_cast<double>(blocks) * kBlock,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

void BM_PatchDefault(benchmark::State& state) { play(state, {}); }
BENCHMARK(BM_PatchDefault);
void BM_PatchSaw3(benchmark::State& state) { play(state, kSaw3); }
BENCHMARK(BM_PatchSaw3);
void BM_PatchGlide(benchmark::State& state) { play(state, kGlide); }
BENCHMARK(BM_PatchGlide);
void BM_PatchSaw3Detuned(benchmark::State& state) { play(state, kSaw3Detuned); }
BENCHMARK(BM_PatchSaw3Detuned);
void BM_PatchGlideDetuned(benchmark::State& state) { play(state, kGlideDetuned); }
BENCHMARK(BM_PatchGlideDetuned);

// A further instance (creating one builds nothing process-wide: the tables
// wait for the first resume, the images for the first paint).
void BM_CreateAndCloseInstance(benchmark::State& state) {
    AEffect* first = kx::createEffectInstance(host)->getAeffect();  // builds what is process-wide
    for (auto _ : state) {
        AEffect* effect = kx::createEffectInstance(host)->getAeffect();
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    first->dispatcher(first, effClose, 0, 0, nullptr, 0.0f);
}
BENCHMARK(BM_CreateAndCloseInstance)->Unit(benchmark::kMicrosecond);

}  // namespace
