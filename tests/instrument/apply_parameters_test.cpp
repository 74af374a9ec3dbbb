#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "synth_host.h"

namespace kx::test {
namespace {

TEST(SynthParameters, DefaultsReachTheVoice) {
    SynthHost host;
    Instance inst;
    const SynthVoice& v = inst.synth->getVoice();
    EXPECT_EQ(v.osc1.wave, Oscillator::Sine);
    EXPECT_EQ(v.osc1.partial, 1.0);
    EXPECT_EQ(v.osc2.partial, 1.0);
    EXPECT_DOUBLE_EQ(v.osc1.attackTime, 0.01);
    EXPECT_EQ(v.osc1.noiseGain, 0.0);
    EXPECT_EQ(v.osc3.levelGain, 1.0);
    EXPECT_EQ(v.lfo.cyclesPerBar, 4.0);
    EXPECT_EQ(v.lfoDepth, 0.0);
    EXPECT_DOUBLE_EQ(v.bendRange, 2.0);
    EXPECT_DOUBLE_EQ(v.portaResetSeconds, 2.0);
    EXPECT_EQ(v.portaResetSamples, 88200);
    EXPECT_NEAR(v.mainGain, 0.23713737056616552, 1e-15);  // -12.5 dB
}

TEST(SynthParameters, UnitValuesQuantiseAndConvert) {
    SynthHost host;
    Instance inst;
    const SynthVoice& v = inst.synth->getVoice();
    inst.set(kPartial2, 0.5f);  // round(2.5) / 5 of the range: 4
    inst.set(kDetune2, 1.0f);
    EXPECT_EQ(v.osc2.partial, 4.0);
    EXPECT_EQ(v.osc2.multiplier, std::pow(2.0, 99 * 0.0008333333333333334) * 4.0);
    inst.set(kWave3, 2.0f / 3.0f);
    EXPECT_EQ(v.osc3.wave, Oscillator::Square);
    inst.set(kLFOWave, 1.0f);
    EXPECT_EQ(v.lfo.shape, Lfo::Random);
    inst.set(kLFOPhase, 1.0f);
    EXPECT_EQ(v.lfo.phaseOffset, 359 * 0.002777777777777778);
    inst.set(kLFODepth, 0.5f);
    EXPECT_EQ(v.lfoDepth, 0.5);
    inst.set(kNoise1, 1.0f);  // full-scale noise before curve, level and envelope
    EXPECT_EQ(v.osc1.noiseGain, 1.0);
    inst.set(kLevel2, 0.5f);  // the stored value is the gain itself
    EXPECT_EQ(v.osc2.levelGain, 0.5);
    inst.set(kMainLvl, 0.0f);  // minus infinity dB
    EXPECT_EQ(v.mainGain, 0.0);
    inst.set(kMainLvl, 0.5f);  // -6.0 dB after the display rounding
    EXPECT_EQ(v.mainGain, std::pow(10.0, -6.0 * 0.05));
}

TEST(SynthParameters, AnyChangeRestartsThePortaResetCount) {
    SynthHost host;
    Instance inst;
    EventList list;
    list.noteOn(0, 60);
    list.noteOff(1, 60);
    list.send(inst);
    inst.render(100);
    EXPECT_EQ(inst.synth->getVoice().portaResetCounter, 99);
    inst.set(kDetune1, 0.7f);
    EXPECT_EQ(inst.synth->getVoice().portaResetCounter, 0);
}

TEST(SynthParameters, OutOfRangeAndNotANumberStayInsideTheRanges) {
    SynthHost host;
    Instance inst;
    const SynthVoice& v = inst.synth->getVoice();
    inst.set(kAttk1, -3.0f);  // stored as it comes; the engine reads 0
    EXPECT_DOUBLE_EQ(v.osc1.attackTime, 0.01);
    inst.set(kLevel1, 7.0f);
    EXPECT_EQ(v.osc1.levelGain, 1.0);

    // A chunk may carry anything: NaN everywhere in the current program.
    void* chunk = nullptr;
    const VstIntPtr size = inst.dispatch(effGetChunk, 1, 0, &chunk);
    ASSERT_GT(size, 0);
    std::vector<unsigned char> bytes(static_cast<const unsigned char*>(chunk),
                                     static_cast<const unsigned char*>(chunk) + size);
    const double nan = std::nan("");
    for (int i = 0; i < kSynthParamCount; ++i) {
        unsigned char* slot = inst.synth->getBank().slotOf(0, i);
        const std::ptrdiff_t offset = slot - inst.synth->getBank().record(0);
        std::memcpy(bytes.data() + offset, &nan, sizeof nan);
    }
    inst.dispatch(effSetChunk, 1, size, bytes.data());
    EventList list;
    list.noteOn(0, 60);
    list.send(inst);
    for (float s : inst.render(2048))
        ASSERT_TRUE(std::isfinite(s));
}

TEST(SynthParameters, TheOscillatorTableNamesEachOscillatorsOwnParameters) {
    SynthHost host;
    Instance inst;
    std::vector<int> seen;
    for (int n = 0; n < kOscillatorCount; ++n) {
        const OscillatorParams& o = kOscillatorParams[n];
        const std::string number = std::to_string(n + 1);
        auto nameOf = [&](int index) {
            seen.push_back(index);
            const KParam* p = inst.synth->getParam(index);
            return p ? std::string(p->getName()) : std::string();
        };
        EXPECT_EQ(nameOf(o.wave), "Wave" + number);
        if (n == 0)
            EXPECT_EQ(o.partial, OscillatorParams::kNoPartial);
        else
            EXPECT_EQ(nameOf(o.partial), "Partial" + number);
        EXPECT_EQ(nameOf(o.detune), "Detune" + number);
        EXPECT_EQ(nameOf(o.attack), "Attk" + number);
        EXPECT_EQ(nameOf(o.release), "Rel" + number);
        EXPECT_EQ(nameOf(o.porta), "Porta" + number);
        EXPECT_EQ(nameOf(o.noise), "Noise" + number);
        EXPECT_EQ(nameOf(o.level), "Level" + number);
    }
    // Together the rows hold every oscillator parameter once, and only those.
    std::sort(seen.begin(), seen.end());
    std::vector<int> expected(kLFOWave);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(seen, expected);
}

TEST(SynthParameters, EachOscillatorHearsItsOwnRow) {
    SynthHost host;
    Instance inst;
    const SynthVoice& v = inst.synth->getVoice();
    const Oscillator* oscillators[] = {&v.osc1, &v.osc2, &v.osc3};
    // A different release per oscillator: 0.5, 1.0, 1.5 s.
    for (int n = 0; n < kOscillatorCount; ++n)
        inst.set(kOscillatorParams[n].release, static_cast<float>((0.5 * (n + 1) - 0.01) / 1.99));
    for (int n = 0; n < kOscillatorCount; ++n)
        EXPECT_NEAR(oscillators[n]->releaseTime, 0.5 * (n + 1), 1e-9) << "oscillator " << n + 1;
}

}  // namespace
}  // namespace kx::test
