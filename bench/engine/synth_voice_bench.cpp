// Cost of the voice per output sample. Each iteration renders one block of
// 256 samples; the "per_sample" counter is the time per sample (SI prefix n = ns).
#include <benchmark/benchmark.h>

#include "engine/synth_voice.h"

namespace {

constexpr int kBlock = 256;

void setWaves(kx::SynthVoice& voice, int wave) {
    for (kx::Oscillator* o : {&voice.osc1, &voice.osc2, &voice.osc3}) {
        o->wave = wave;
        o->levelGain = 1.0;
    }
    voice.osc2.detuneCents = 7;
    voice.osc3.partial = 2;
    voice.osc2.updateMultiplier();
    voice.osc3.updateMultiplier();
    voice.mainGain = 0.23713737056616552;
}

void reportPerSample(benchmark::State& state, double samples) {
    state.counters["per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// As the processing loop renders a block without events.
void render(benchmark::State& state, kx::SynthVoice& voice) {
    double out[kBlock];
    for (auto _ : state) {
        voice.render(out, kBlock);
        benchmark::DoNotOptimize(out);
    }
    reportPerSample(state, static_cast<double>(state.iterations()) * kBlock);
}

// Sample by sample, for comparison with the stretch rendering.
void tickByTick(benchmark::State& state, kx::SynthVoice& voice) {
    double sink = 0;
    for (auto _ : state) {
        kx::RandomGenerator random = kx::Random::claim(0);
        for (int i = 0; i < kBlock; ++i) {
            voice.tick(random);
            sink += voice.output;
        }
    }
    benchmark::DoNotOptimize(sink);
    reportPerSample(state, static_cast<double>(state.iterations()) * kBlock);
}

void BM_HeldNoteThreeSawtooth(benchmark::State& state) {
    kx::SynthVoice voice;
    setWaves(voice, kx::Oscillator::Sawtooth);
    voice.noteOn(57);
    render(state, voice);
}
BENCHMARK(BM_HeldNoteThreeSawtooth);

void BM_HeldNoteThreeSawtoothTickByTick(benchmark::State& state) {
    kx::SynthVoice voice;
    setWaves(voice, kx::Oscillator::Sawtooth);
    voice.noteOn(57);
    tickByTick(state, voice);
}
BENCHMARK(BM_HeldNoteThreeSawtoothTickByTick);

void BM_HeldNoteThreeSine(benchmark::State& state) {
    kx::SynthVoice voice;
    setWaves(voice, kx::Oscillator::Sine);
    voice.noteOn(57);
    render(state, voice);
}
BENCHMARK(BM_HeldNoteThreeSine);

void BM_HeldNoteSawtoothWithLfo(benchmark::State& state) {
    kx::SynthVoice voice;
    setWaves(voice, kx::Oscillator::Sawtooth);
    voice.lfo.shape = kx::Lfo::Triangle;
    voice.lfo.cyclesPerBar = 4;
    voice.lfoDepth = 0.5;
    voice.lfo.syncToHost(true, 0.0, 120.0);
    voice.noteOn(57);
    render(state, voice);
}
BENCHMARK(BM_HeldNoteSawtoothWithLfo);

// Glides back and forth for the whole run: the frequency changes every
// sample, so the level logarithm is recomputed every sample.
void BM_GlideThreeSawtooth(benchmark::State& state) {
    kx::SynthVoice voice;
    setWaves(voice, kx::Oscillator::Sawtooth);
    for (kx::Oscillator* o : {&voice.osc1, &voice.osc2, &voice.osc3})
        o->portaTime = 1.0;
    voice.noteOn(40);
    voice.noteOn(76);
    double out[kBlock];
    int key = 40;
    long long samples = 0;
    for (auto _ : state) {
        voice.render(out, kBlock);
        benchmark::DoNotOptimize(out);
        samples += kBlock;
        if (samples % 32768 == 0) {  // a new glide before the last one ends
            voice.noteOn(key);
            key = key == 40 ? 76 : 40;
        }
    }
    reportPerSample(state, static_cast<double>(samples));
}
BENCHMARK(BM_GlideThreeSawtooth);

}  // namespace
