#include <gtest/gtest.h>

#include <xmmintrin.h>
#include <algorithm>
#include <cmath>

#include "synth_host.h"

namespace kx::test {
namespace {

constexpr std::uint32_t kZ = 12345, kW = 67890;

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

std::vector<float> concat(std::vector<float> a, const std::vector<float>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(SynthProcessing, EventSoundsFromItsOffsetAndSplitsLikeASecondBlock) {
    SynthHost host;
    Instance whole, split;

    EventList list;
    list.noteOn(10, 60);
    Random::setState(kZ, kW);
    list.send(whole);
    const auto a = whole.render(64);

    Random::setState(kZ, kW);
    const auto first = split.render(10);
    EventList late;
    late.noteOn(0, 60);
    late.send(split);
    const auto b = concat(first, split.render(54));

    EXPECT_TRUE(sameBits(a, b));
    for (int i = 0; i < 10; ++i)  // only the anti-denormal offset before the note
        EXPECT_LT(std::fabs(a[static_cast<std::size_t>(i)]), 2e-6f) << i;
    const auto later = whole.render(2000);
    float peak = 0;
    for (float v : later)
        peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.1f);
}

TEST(SynthProcessing, EventBeyondTheBlockWaitsForItsCountInALaterBlock) {
    SynthHost host;
    Instance one, two;
    EventList list;
    list.noteOn(100, 64);
    Random::setState(kZ, kW);
    list.send(one);
    const auto a1 = one.render(64);  // (argument order is unspecified: render first)
    const auto a = concat(a1, one.render(64));

    Random::setState(kZ, kW);
    const auto b1 = two.render(64);
    const auto b2 = two.render(36);
    EventList late;
    late.noteOn(0, 64);
    late.send(two);
    const auto b = concat(concat(b1, b2), two.render(28));
    EXPECT_TRUE(sameBits(a, b));
    EXPECT_EQ(one.synth->getVoice().noteStack.top(), 64);
}

TEST(SynthProcessing, NoteMessagesOnAnyChannel) {
    SynthHost host;
    Instance inst;
    const SynthVoice& voice = inst.synth->getVoice();

    EventList list;
    list.noteOn(0, 60, 100, 5);
    list.noteOn(1, 64, 1, 15);
    list.noteOn(2, 64, 0, 3);   // velocity 0: a release
    list.add(3, 0xB0, 64, 127);  // sustain pedal: ignored
    list.add(3, 0xC0, 5, 0);    // program change: ignored
    list.send(inst);
    inst.render(2);
    EXPECT_EQ(voice.noteStack.count(), 2);
    inst.render(2);
    EXPECT_EQ(voice.noteStack.count(), 1);
    EXPECT_EQ(voice.noteStack.top(), 60);
    EXPECT_EQ(voice.osc1.targetFreq, SynthVoice::noteFrequency(60));

    // Same key on and off at the same offset: handled in list order.
    EventList same;
    same.noteOn(5, 72);
    same.noteOff(5, 72, 9);
    same.noteOff(5, 60);
    same.send(inst);
    inst.render(6);
    EXPECT_TRUE(voice.noteStack.empty());
    EXPECT_EQ(voice.osc1.envelope.state, EnvelopeState::Release);
}

TEST(SynthProcessing, PitchBendMessages) {
    SynthHost host;
    Instance inst;
    const SynthVoice& voice = inst.synth->getVoice();
    inst.set(kPtchBend, 20.0f / 120.0f);  // 2 semitones
    EventList list;
    list.add(0, 0xE3, 0, 0);      // lowest
    list.add(1, 0xE0, 0, 64);     // centre
    list.add(2, 0xE0, 127, 127);  // highest
    list.send(inst);
    inst.render(1);
    EXPECT_EQ(voice.osc1.bendFactor, std::pow(2.0, -8192 * 0.0001220703125 * 2.0 * 0.08333333333333333));
    inst.render(1);
    EXPECT_EQ(voice.osc2.bendFactor, 1.0);
    inst.render(1);
    EXPECT_EQ(voice.osc3.bendFactor, std::pow(2.0, 8191 * 0.0001220703125 * 2.0 * 0.08333333333333333));
}

TEST(SynthProcessing, QueueKeeps512MidiEventsAndStallsOnDisorder) {
    SynthHost host;
    Instance inst;
    EventList list;
    for (int i = 0; i < 600; ++i) {
        list.noteOn(i, i % 128);
        if (i < 10)
            list.sysexAt(i);
    }
    list.send(inst);
    EXPECT_EQ(inst.synth->getEventQueue().size(), 512);

    EventList disorder;
    disorder.noteOn(5, 60);
    disorder.noteOn(2, 62);  // its sample has passed when delivery reaches it
    disorder.noteOn(7, 64);
    disorder.send(inst);
    inst.render(32);
    EXPECT_EQ(inst.synth->getVoice().noteStack.count(), 1);
    EXPECT_EQ(inst.synth->getEventQueue().size(), 2);
}

TEST(SynthProcessing, FloatPathIsTheDoublePathRounded) {
    SynthHost host;
    Instance f, d;
    for (Instance* inst : {&f, &d}) {
        inst->set(kWave1, 1.0f);
        inst->set(kNoise2, 0.2f);
        inst->set(kLFODepth, 0.5f);
    }
    EventList list;
    list.noteOn(3, 57);
    list.noteOn(900, 81);
    Random::setState(kZ, kW);
    list.send(f);
    const auto f1 = f.render(512);
    const auto fo = concat(f1, f.render(512));
    Random::setState(kZ, kW);
    list.send(d);
    auto d1 = d.renderDouble(512);
    const auto d2 = d.renderDouble(512);
    d1.insert(d1.end(), d2.begin(), d2.end());
    ASSERT_EQ(fo.size(), d1.size());
    bool differs = false;
    for (std::size_t i = 0; i < fo.size(); ++i) {
        ASSERT_EQ(fo[i], static_cast<float>(d1[i])) << i;
        differs |= static_cast<double>(fo[i]) != d1[i];
    }
    EXPECT_TRUE(differs);  // the double path is not rounded to float
}

TEST(SynthProcessing, HostTimeSyncsTheLfoEvenForEmptyBlocks) {
    SynthHost host;
    Instance inst;
    inst.set(kLFOFreq, 3.0f / 31.0f);  // 4 per bar
    inst.set(kLFOPhase, 90.0f / 359.0f);
    host.setTime(true, 0.0, 120.0);
    const int before = host.timeQueries;
    inst.render(0);
    EXPECT_EQ(host.timeQueries, before + 1);
    EXPECT_EQ(inst.synth->getVoice().lfo.phase, 0.25);
    EXPECT_NEAR(inst.synth->getVoice().lfo.increment, 4.5351473922902494e-5, 1e-18);

    // Without both validity flags the LFO is left alone.
    host.time.flags = kVstTempoValid | kVstTransportPlaying;
    host.time.ppqPos = 1.0;
    inst.render(0);
    EXPECT_EQ(inst.synth->getVoice().lfo.phase, 0.25);
    host.hasTime = false;
    inst.render(16);
    EXPECT_GT(inst.synth->getVoice().lfo.phase, 0.25);
}

TEST(SynthProcessing, SampleRateChangeAndSuspendResumeResetTheEngine) {
    SynthHost host;
    Instance inst;
    const SynthVoice& voice = inst.synth->getVoice();
    EventList list;
    list.noteOn(0, 60);
    list.noteOn(40, 62);
    list.send(inst);
    inst.render(8);
    ASSERT_EQ(voice.noteStack.count(), 1);

    inst.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_TRUE(voice.noteStack.empty());
    EXPECT_EQ(voice.osc1.envelope.state, EnvelopeState::Release);
    EXPECT_EQ(inst.synth->getEventQueue().size(), 0);
    EXPECT_EQ(voice.sampleRate, 96000.0);
    EXPECT_EQ(voice.osc3.sampleRate, 96000.0);
    EXPECT_EQ(voice.lfo.sampleRate, 96000.0);
    EXPECT_EQ(voice.portaResetSamples, 192000);  // PortaRst 2 s re-applied at the new rate

    list.send(inst);
    inst.render(4);
    inst.dispatch(effMainsChanged, 0, 0);  // suspend
    EXPECT_TRUE(voice.noteStack.empty());
    const int wanted = host.wantMidi;
    inst.dispatch(effMainsChanged, 0, 1);  // resume
    EXPECT_EQ(host.wantMidi, wanted + 1);

    // A rate that is no positive number leaves the engine at its rate.
    for (float bad : {0.0f, -44100.0f, NAN, INFINITY}) {
        inst.dispatch(effSetSampleRate, 0, 0, nullptr, bad);
        EXPECT_EQ(voice.sampleRate, 96000.0);
    }
    list.send(inst);
    for (float v : inst.render(256))
        ASSERT_TRUE(std::isfinite(v));
}

TEST(SynthProcessing, OverwritesOutputAndToleratesMissingBuffers) {
    SynthHost host;
    Instance inst;
    const auto out = inst.render(32);
    for (float v : out)
        EXPECT_NE(v, 123.0f);
    EventList list;
    list.noteOn(3, 60);
    list.send(inst);
    // Called directly as well as through the record: the loop still keeps
    // time without writing anywhere.
    inst.synth->processReplacing(nullptr, nullptr, 16);
    double* none[1] = {nullptr};
    inst.synth->processDoubleReplacing(nullptr, none, 16);
    EXPECT_EQ(inst.synth->getVoice().noteStack.top(), 60);
}

// A host may hand over no output buffers for a block it does not want to
// hear: the block still counts, its events act and the host is asked for
// the time, as a block of that length would.
TEST(SynthProcessing, BlockWithoutOutputsKeepsTimeAndEvents) {
    SynthHost host;
    Instance heard, unheard;
    std::vector<std::vector<float>> second;
    for (Instance* inst : {&heard, &unheard}) {
        EventList list;
        list.noteOn(10, 60);
        list.noteOn(100, 67);  // in the second block, at its sample 36
        list.send(*inst);
        const int queries = host.timeQueries;
        if (inst == &heard) {
            inst->render(64);
        } else {
            inst->effect->processReplacing(inst->effect, nullptr, nullptr, 64);
            float* none[1] = {nullptr};
            EXPECT_EQ(host.timeQueries, queries + 1);
            EXPECT_EQ(inst->synth->getEventQueue().sampleCounter, 64);
            EXPECT_EQ(inst->synth->getVoice().noteStack.top(), 60);
            inst->effect->processDoubleReplacing(inst->effect, nullptr, reinterpret_cast<double**>(none), 0);
        }
        second.push_back(inst->render(64));
        EXPECT_EQ(inst->synth->getVoice().noteStack.top(), 67);
    }
    float peak = 0;
    for (int i = 0; i < 64; ++i) {
        peak = std::max(peak, std::fabs(second[0][i]));
        // Only the generator's tiny anti-denormal offset may differ.
        EXPECT_NEAR(second[0][i], second[1][i], 1e-5) << i;
    }
    EXPECT_GT(peak, 0.01f);
}

TEST(SynthProcessing, EachSampleDrawsFromTheSharedGeneratorInTurn) {
    SynthHost host;
    Instance inst;
    Random::setState(kZ, kW);
    inst.render(100);  // three noise draws and the offset per sample
    const auto z = Random::stateZ(), w = Random::stateW();
    Random::setState(kZ, kW);
    for (int i = 0; i < 400; ++i)
        Random::next();
    EXPECT_EQ(Random::stateZ(), z);
    EXPECT_EQ(Random::stateW(), w);
}

// Sees the floating-point mode while the block runs.
class ModeProbe : public SynthEffect {
public:
    using SynthEffect::SynthEffect;
    void processMidiEvent(const VstMidiEvent* event) override {
        modeInBlock = _mm_getcsr();
        SynthEffect::processMidiEvent(event);
    }
    unsigned modeInBlock = 0;
};

TEST(SynthProcessing, FlushesDenormalsDuringTheBlockOnly) {
    SynthHost host;
    ModeProbe probe(&SynthHost::callback);
    AEffect* effect = probe.getAeffect();
    const unsigned before = _mm_getcsr();
    ASSERT_EQ(before & 0x8040u, 0u);
    EventList list;
    list.noteOn(1, 60);
    effect->dispatcher(effect, effProcessEvents, 0, 0, list.build(), 0.0f);
    float out[8];
    float* outs[1] = {out};
    effect->processReplacing(effect, nullptr, outs, 8);
    EXPECT_EQ(probe.modeInBlock & 0x8040u, 0x8040u);
    EXPECT_EQ(_mm_getcsr(), before);
}

}  // namespace
}  // namespace kx::test
