#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/synth_voice.h"
#include "reference/reference_voice.h"

namespace kx {
namespace {

struct OscSettings {
    int wave;
    double partial, detune, attack, release, porta, noise, level;
};

void apply(SynthVoice& v, ref::RefVoice& r, const OscSettings (&s)[3], double mainGain, double depth, double bendRange,
           int lfoShape, double portaReset) {
    Oscillator* oscs[3] = {&v.osc1, &v.osc2, &v.osc3};
    for (int i = 0; i < 3; ++i) {
        Oscillator& o = *oscs[i];
        ref::RefOscillator& t = r.osc[i];
        o.wave = t.wave = s[i].wave;
        o.partial = t.partial = s[i].partial;
        o.detuneCents = t.detuneCents = s[i].detune;
        o.attackTime = t.attackTime = s[i].attack;
        o.releaseTime = t.releaseTime = s[i].release;
        o.portaTime = t.portaTime = s[i].porta;
        o.noiseGain = t.noiseGain = s[i].noise;
        o.levelGain = t.levelGain = s[i].level;
        o.updateMultiplier();
        t.updateMultiplier();
    }
    v.mainGain = r.mainGain = mainGain;
    v.lfoDepth = r.lfoDepth = depth;
    v.bendRange = r.bendRange = bendRange;
    v.lfo.shape = r.lfo.shape = lfoShape;
    v.lfo.cyclesPerBar = r.lfo.cyclesPerBar = 3;
    v.lfo.phaseOffset = r.lfo.phaseOffset = 0.1;
    v.portaResetCounter = r.portaResetCounter = 0;
    v.portaResetSamples = r.portaResetSamples = static_cast<int>(portaReset * v.sampleRate);
}

// A scripted performance: notes, legato, bends and releases at fixed samples.
struct Event {
    int at;
    char kind;  // 'n' on, 'f' off, 'b' bend, 's' sync
    int value;
};

TEST(SynthVoice, GoldenPerformanceMatchesLiteralTwinBitForBit) {
    const OscSettings settings[3] = {{3, 1, -7, 0.02, 0.3, 0.05, 0.02, 1.0},
                                     {1, 3, 12, 0.01, 0.1, 0.0, 0.0, 0.5},
                                     {0, 6, 99, 0.2, 1.0, 0.2, 0.1, 0.25}};
    const std::vector<Event> script = {
        {0, 's', 120},    {10, 'n', 60},      {2000, 'n', 64},  {2500, 'b', 4000}, {4000, 'n', 67},   {6000, 'f', 67},
        {6001, 'f', 99},  {7000, 'b', -8192}, {8000, 'f', 60},  {9000, 'f', 64},   {9000, 'n', 72},   {12000, 'f', 72},
        {20000, 'n', 30}, {30000, 's', 90},   {40000, 'f', 30}, {40100, 'n', 127}, {42000, 'f', 127},
    };
    for (int lfoShape = 0; lfoShape < 6; ++lfoShape) {
        const auto z = Random::stateZ(), w = Random::stateW();
        SynthVoice voice;
        ref::RefRandom rng{z, w};
        ref::RefVoice twin(rng);
        apply(voice, twin, settings, 0.23713737056616552, 0.7, 2.0, lfoShape, 0.1);
        std::size_t next = 0;
        for (int i = 0; i < 60000; ++i) {
            while (next < script.size() && script[next].at == i) {
                const Event& e = script[next++];
                switch (e.kind) {
                case 'n':
                    voice.noteOn(e.value);
                    twin.noteOn(e.value);
                    break;
                case 'f':
                    voice.noteOff(e.value);
                    twin.noteOff(e.value);
                    break;
                case 'b':
                    voice.setPitchBend(e.value);
                    twin.setPitchBend(e.value);
                    break;
                case 's':
                    voice.lfo.syncToHost(true, i / 22050.0, e.value);
                    twin.lfo.syncToHost(true, i / 22050.0, e.value);
                    break;
                }
            }
            rng = ref::RefRandom{Random::stateZ(), Random::stateW()};
            voice.tick();
            twin.tick(rng);
            ASSERT_EQ(voice.output, twin.output) << "lfo shape " << lfoShape << " sample " << i;
        }
    }
}

// Renders in stretches between events must give the bits of sample-by-sample
// ticks: held notes in every wave, silence, glides, noise, random LFO.
TEST(SynthVoice, RenderInStretchesEqualsTicksBitForBit) {
    const std::vector<Event> script = {
        {0, 's', 133},     {5, 'n', 57},     {3000, 'n', 69},   {3100, 'b', -3000},
        {6000, 'f', 69},   {6001, 'f', 57},  {15000, 'n', 40},  {15001, 'n', 100},
        {20000, 'f', 100}, {20500, 'f', 40}, {30000, 'n', 127}, {31000, 'f', 127},
    };
    for (int wave : {0, 1, 2, 3, 9}) {
        for (int lfoShape : {0, 1, 2, 3, 4, 5, 8}) {
            SynthVoice a, b;
            for (SynthVoice* v : {&a, &b}) {
                for (Oscillator* o : {&v->osc1, &v->osc2, &v->osc3}) {
                    o->wave = wave;
                    o->levelGain = 0.7;
                    o->attackTime = 0.005;
                    o->releaseTime = 0.05;
                }
                v->osc2.partial = 3;
                v->osc2.noiseGain = 0.2;
                v->osc3.detuneCents = -30;
                v->osc3.portaTime = 0.02;
                v->osc2.updateMultiplier();
                v->osc3.updateMultiplier();
                v->mainGain = 0.5;
                v->lfoDepth = 0.8;
                v->bendRange = 3;
                v->lfo.shape = lfoShape;
                v->lfo.cyclesPerBar = 7;
                v->portaResetSamples = 4000;
            }
            b.lfo.heldRandom = a.lfo.heldRandom;
            RandomGenerator ra{123, 456}, rb{123, 456};
            std::vector<double> out(40000);
            std::uint32_t runSeed = 7;
            std::size_t next = 0;
            int i = 0;
            while (i < 40000) {
                while (next < script.size() && script[next].at == i) {
                    const Event& e = script[next++];
                    for (SynthVoice* v : {&a, &b}) {
                        switch (e.kind) {
                        case 'n': v->noteOn(e.value); break;
                        case 'f': v->noteOff(e.value); break;
                        case 'b': v->setPitchBend(e.value); break;
                        case 's': v->lfo.syncToHost(true, 0.3, e.value); break;
                        }
                    }
                }
                const int until = next < script.size() ? script[next].at : 40000;
                runSeed = runSeed * 1103515245u + 12345u;
                const int run = std::min(until - i, 1 + static_cast<int>((runSeed >> 16) % 300));
                b.render(out.data() + i, run, rb);
                for (int k = 0; k < run; ++k) {
                    a.tick(ra);
                    ASSERT_EQ(0, std::memcmp(&a.output, &out[static_cast<std::size_t>(i + k)], sizeof(double)))
                        << "wave " << wave << " lfo " << lfoShape << " sample " << i + k;
                }
                i += run;
            }
            EXPECT_EQ(ra.z, rb.z);
            EXPECT_EQ(ra.w, rb.w);
            EXPECT_EQ(a.osc3.phase, b.osc3.phase);
            EXPECT_EQ(a.output, b.output);
            EXPECT_EQ(a.portaResetCounter, b.portaResetCounter);
        }
    }
}

TEST(SynthVoice, KeySixtyNineIsFourForty) {
    EXPECT_EQ(SynthVoice::noteFrequency(69), 440.0);
    EXPECT_EQ(SynthVoice::noteFrequency(81), 880.0);
    EXPECT_NEAR(SynthVoice::noteFrequency(60), 261.6255653005986, 1e-12);
}

TEST(SynthVoice, LastNotePriorityAndLegato) {
    SynthVoice v;
    v.noteOn(60);
    v.noteOn(64);
    v.noteOn(67);
    for (int i = 0; i < 1000; ++i)
        v.tick();
    ASSERT_EQ(v.osc1.envelope.state, EnvelopeState::Sustain);
    EXPECT_EQ(v.osc1.targetFreq, SynthVoice::noteFrequency(67));

    v.noteOff(67);  // back to 64 without a new attack
    EXPECT_EQ(v.osc1.targetFreq, SynthVoice::noteFrequency(64));
    EXPECT_EQ(v.osc1.envelope.state, EnvelopeState::Sustain);
    v.noteOff(60);  // re-sends the top key
    EXPECT_EQ(v.osc2.targetFreq, SynthVoice::noteFrequency(64));
    EXPECT_EQ(v.noteStack.count(), 1);

    v.noteOn(64);  // already held: moved to the top, pitch restarted, envelope untouched
    EXPECT_EQ(v.noteStack.count(), 1);
    EXPECT_EQ(v.osc3.envelope.state, EnvelopeState::Sustain);

    v.noteOff(64);
    EXPECT_TRUE(v.noteStack.empty());
    EXPECT_EQ(v.osc1.envelope.state, EnvelopeState::Release);
    EXPECT_EQ(v.osc2.envelope.state, EnvelopeState::Release);
    EXPECT_EQ(v.osc3.envelope.state, EnvelopeState::Release);
}

TEST(SynthVoice, ReleaseOfUnheldKeyWithNoKeysReleasesAgainAndRestartsPortaCount) {
    SynthVoice v;
    v.portaResetSamples = 1000;
    v.noteOn(60);
    v.noteOff(60);
    for (int i = 0; i < 300; ++i)
        v.tick();
    EXPECT_EQ(v.portaResetCounter, 300);
    const double progress = v.osc1.envelope.progress;
    v.noteOff(61);
    EXPECT_EQ(v.portaResetCounter, 0);
    EXPECT_EQ(v.osc1.envelope.progress, progress);  // already releasing: left alone
}

TEST(SynthVoice, PortamentoResetTimerBoundary) {
    // PortaRst 2 s at 44100 Hz: a key 88,200 samples after the release still
    // glides; one 88,201 samples after it starts at its own pitch.
    for (int gap : {88200, 88201}) {
        SynthVoice v;
        v.osc1.portaTime = v.osc2.portaTime = v.osc3.portaTime = 0.1;
        v.portaResetSeconds = 2.0;
        v.portaResetSamples = static_cast<std::int32_t>(2.0 * v.sampleRate);
        v.noteOn(48);
        v.tick();
        v.noteOff(48);
        for (int i = 0; i < gap; ++i)
            v.tick();
        v.noteOn(60);
        if (gap == 88200)
            EXPECT_NE(v.osc1.glideRatio, 1.0) << gap;
        else
            EXPECT_EQ(v.osc1.glideRatio, 1.0) << gap;
    }
}

TEST(SynthVoice, PitchBendFactors) {
    SynthVoice v;
    v.bendRange = 2;
    v.setPitchBend((127 - 64) * 128 + 127);
    EXPECT_DOUBLE_EQ(v.osc1.bendFactor, std::pow(2.0, 8191.0 / 8192.0 * 2.0 / 12.0));
    v.setPitchBend((0 - 64) * 128 + 0);
    EXPECT_EQ(v.osc2.bendFactor, std::pow(2.0, -2.0 / 12.0));
    v.setPitchBend(0);
    EXPECT_EQ(v.osc3.bendFactor, 1.0);
    v.bendRange = 12;
    v.setPitchBend(-8192);
    EXPECT_EQ(v.osc1.bendFactor, 0.5);
    v.bendRange = 0;
    v.setPitchBend(8191);
    EXPECT_EQ(v.osc1.bendFactor, 1.0);
    // A range change alone leaves the factor until the next bend message.
    v.setPitchBend(4096);
    v.bendRange = 7;
    EXPECT_EQ(v.osc1.bendFactor, 1.0);
}

TEST(SynthVoice, NoiseOnlyOscillatorIsBoundedAndNonSilent) {
    SynthVoice v;
    v.mainGain = 1.0;
    for (Oscillator* o : {&v.osc1, &v.osc2, &v.osc3}) {
        o->wave = 9;  // no tone
        o->noiseGain = 0.0;
        o->levelGain = 1.0;
    }
    v.osc2.noiseGain = 1.0;
    v.noteOn(69);
    double peak = 0, sumSq = 0;
    for (int i = 0; i < 44100; ++i) {
        v.tick();
        peak = std::max(peak, std::fabs(v.output));
        if (i > 1000)
            sumSq += v.output * v.output;
    }
    const double rms = std::sqrt(sumSq / (44100 - 1001));
    // Uniform noise at full scale has an RMS of 1/sqrt(3), scaled by the
    // loudness curve at 440 Hz.
    const double g = Oscillator::gainCurve(440.0);
    EXPECT_NEAR(rms, g / std::sqrt(3.0), 0.01);
    EXPECT_LE(peak, g + 1e-5);
}

TEST(SynthVoice, ReleaseAllEmptiesStackWithoutTouchingPortaCount) {
    SynthVoice v;
    v.noteOn(50);
    v.noteOn(52);
    v.portaResetCounter = 17;
    v.releaseAll();
    EXPECT_TRUE(v.noteStack.empty());
    EXPECT_EQ(v.portaResetCounter, 17);
    EXPECT_EQ(v.osc1.envelope.state, EnvelopeState::Release);
}

TEST(SynthVoice, ConstructionDrawsTwoRandomValues) {
    Random::restart();
    SynthVoice v;
    EXPECT_EQ(Random::stateZ(), 124178911u);  // two steps from the load seeds
    Random::restart();
    Random::next();
    EXPECT_EQ(v.lfo.heldRandom, Random::bipolar());
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// Oscillators in unison share their waveform values within a stretch; each
// keeps its own noise, level and envelope. Every grouping of the three, in
// every wave, held and gliding, must still give the bits of ticks.
TEST(SynthVoice, OscillatorsInUnisonRenderLikeTicksBitForBit) {
    const std::vector<Event> script = {
        {0, 'n', 57},    {2000, 'n', 64},  {2300, 'b', 2500}, {2301, 'b', -900}, {5000, 'f', 64},
        {5001, 'f', 57}, {9000, 'n', 100}, {12000, 'n', 30},  {12500, 'f', 30},  {14000, 'f', 100},
    };
    // Which oscillator is detuned away from the others (none, each one
    // alone), and which plays another wave at the same pitch.
    for (int apart : {-1, 0, 1, 2}) {
        for (int otherWave : {-1, 0, 2}) {
            for (int wave : {0, 1, 2, 3, 9}) {
                for (double porta : {0.0, 0.03}) {
                    SynthVoice a, b;
                    for (SynthVoice* v : {&a, &b}) {
                        Oscillator* oscs[] = {&v->osc1, &v->osc2, &v->osc3};
                        for (int k = 0; k < 3; ++k) {
                            Oscillator& o = *oscs[k];
                            o.wave = k == otherWave ? (wave + 1) % 4 : wave;
                            o.portaTime = porta;
                            o.levelGain = 0.3 + 0.2 * k;
                            o.noiseGain = k == 1 ? 0.1 : 0.0;
                            o.attackTime = 0.002 * (k + 1);
                            o.releaseTime = 0.01 * (k + 1);
                            o.detuneCents = k == apart ? 11 : 0;
                            o.updateMultiplier();
                        }
                        v->mainGain = 0.5;
                        v->bendRange = 7;
                        v->portaResetSamples = 3000;
                    }
                    b.lfo.heldRandom = a.lfo.heldRandom;
                    RandomGenerator ra{5, 6}, rb{5, 6};
                    std::vector<double> out(16000);
                    std::size_t next = 0;
                    int i = 0;
                    while (i < 16000) {
                        while (next < script.size() && script[next].at == i) {
                            const Event& e = script[next++];
                            for (SynthVoice* v : {&a, &b}) {
                                switch (e.kind) {
                                case 'n': v->noteOn(e.value); break;
                                case 'f': v->noteOff(e.value); break;
                                case 'b': v->setPitchBend(e.value); break;
                                }
                            }
                        }
                        const int until = next < script.size() ? script[next].at : 16000;
                        const int run = std::min(until - i, 300);
                        b.render(out.data() + i, run, rb);
                        for (int k = 0; k < run; ++k) {
                            a.tick(ra);
                            ASSERT_EQ(0, std::memcmp(&a.output, &out[static_cast<std::size_t>(i + k)], sizeof(double)))
                                << "apart " << apart << " other wave " << otherWave << " wave " << wave << " porta "
                                << porta << " sample " << i + k;
                        }
                        i += run;
                    }
                    EXPECT_EQ(a.osc2.output, b.osc2.output);
                    EXPECT_EQ(a.osc3.phase, b.osc3.phase);
                }
            }
        }
    }
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// Oscillators at the same pitch and phase whose loudness smoothing stands
// apart (here set so; in play after a level curve jump) each smooth their own.
TEST(SynthVoice, UnisonWithLoudnessApartRendersLikeTicksBitForBit) {
    SynthVoice a, b;
    for (SynthVoice* v : {&a, &b}) {
        for (Oscillator* o : {&v->osc1, &v->osc2, &v->osc3}) {
            o->wave = Oscillator::Sawtooth;
            o->levelGain = 0.5;
            o->portaTime = 0.01;
        }
        v->mainGain = 0.7;
        v->noteOn(40);
    }
    b.lfo.heldRandom = a.lfo.heldRandom;
    RandomGenerator ra{9, 10}, rb{9, 10};
    std::vector<double> out(3000);
    b.render(out.data(), 700, rb);
    for (int k = 0; k < 700; ++k)
        a.tick(ra);
    for (SynthVoice* v : {&a, &b}) {
        v->osc2.gain.value = 0.25;
        v->osc3.gain.step *= 0.5;
        v->noteOn(80);  // a glide, so that the targets move
    }
    b.render(out.data(), 3000, rb);
    for (int k = 0; k < 3000; ++k) {
        a.tick(ra);
        ASSERT_EQ(0, std::memcmp(&a.output, &out[static_cast<std::size_t>(k)], sizeof(double))) << "sample " << k;
    }
}

}  // namespace
}  // namespace kx
