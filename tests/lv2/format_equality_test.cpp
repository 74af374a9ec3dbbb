// The LV2 adapter against the VST 2.4 entry: the same MIDI, controls and
// transport give the same samples bit for bit, and the state is the chunk
// that VST 2.4 stores, in both directions.
#include "lv2_driver.h"

#include "formats/lv2/lv2_instance.h"
#include "plugin/effect.h"

#include <memory>

namespace kx::testing {
namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 375;  // an 8th of a 120 bpm beat, so that positions add up exactly

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// The instrument in this process, for its parameter objects.
struct Reference {
    Reference() : effect(static_cast<KEffect*>(createEffectInstance(quietHost))) {}
    const KParam& param(int i) const { return *effect->getParam(i); }
    std::unique_ptr<KEffect> effect;
};

float parameterOf(const Lv2Instance& lv2, int index) {
    AEffect* effect = static_cast<lv2::Instance*>(lv2.handle())->effect;
    return effect->getParameter(effect, index);
}

// Sets a control as a host sets a port, and the same value as a VST host
// would send it (the stored value the port stands for).
void setBoth(const Reference& ref, Lv2Instance& lv2, VstInstance& vst, int index, double portValue) {
    lv2.controls[index] = static_cast<float>(portValue);
    vst.effect->setParameter(vst.effect, index, static_cast<float>(lv2::fromPortValue(ref.param(index), portValue)));
}

TEST(Lv2Adapter, RendersTheSameSamplesAsTheVstEntry) {
    Reference ref;
    Lv2Instance lv2(kRate);
    VstInstance vst(static_cast<float>(kRate));
    // Ports start at their defaults: the values of a new instance.
    for (int i = 0; i < kSynthParamCount; ++i)
        lv2.controls[i] = static_cast<float>(lv2::toPortValue(ref.param(i), ref.effect->getParameterValue(i)));
    setBoth(ref, lv2, vst, kLFODepth, 60);
    setBoth(ref, lv2, vst, kLFOFreq, 3);
    setBoth(ref, lv2, vst, kLFOPhase, 90);
    lv2.activate();
    vst.dispatch(effMainsChanged, 0, 1);

    const double tempo = 120.0;
    vst.timeGiven = true;
    vst.time.tempo = tempo;
    vst.time.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid;
    lv2.position(0, tempo, 0.0, 1.0f);

    std::vector<float> a(kBlock), b(kBlock);
    size_t differing = 0;
    for (int block = 0; block < 160; ++block) {
        // A note every few blocks at varying frames, overlapping (legato),
        // a bend, and the panic controller.
        if (block % 7 == 0) {
            const int frame = (block * 53) % kBlock;
            const unsigned char note = static_cast<unsigned char>(48 + block % 24);
            lv2.midi(frame, 0x90, note, 100);
            vst.midi(frame, 0x90, note, 100);
            lv2.midi(kBlock - 1, 0x80 | (block % 16), static_cast<unsigned char>(note - 5), 0);
            vst.midi(kBlock - 1, 0x80 | (block % 16), static_cast<unsigned char>(note - 5), 0);
        }
        if (block == 33) {
            lv2.midi(10, 0xE0, 0, 90);
            vst.midi(10, 0xE0, 0, 90);
        }
        if (block == 150) {
            lv2.midi(200, 0xB0, 123, 0);
            vst.midi(200, 0xB0, 123, 0);
        }
        // Controls that change between runs.
        if (block == 40) {
            setBoth(ref, lv2, vst, kLFOWave, 3);
            setBoth(ref, lv2, vst, kMainLvl, 0.5);
        }
        if (block == 90) {
            // The transport jumps inside the run: the run splits there.
            const int split = 125;
            lv2.position(split, tempo, 16.0, 1.0f);
            lv2.run(a.data(), kBlock);
            vst.run(b.data(), split);
            vst.time.ppqPos = 16.0;
            vst.run(b.data() + split, kBlock - split);
            vst.time.ppqPos += (kBlock - split) * 1.0 * tempo / (60.0 * kRate);
        } else {
            lv2.run(a.data(), kBlock);
            vst.run(b.data(), kBlock);
            vst.time.ppqPos += kBlock * 1.0 * tempo / (60.0 * kRate);
        }
        differing += std::memcmp(a.data(), b.data(), sizeof(float) * kBlock) != 0;
    }
    EXPECT_EQ(differing, 0u) << "blocks differing";
    // Something sounded.
    float peak = 0;
    for (int block = 0; block < 7; ++block) {
        lv2.midi(0, 0x90, 60, 100);
        lv2.run(a.data(), kBlock);
        for (float s : a)
            peak = std::max(peak, std::abs(s));
    }
    EXPECT_GT(peak, 0.01f);
}

TEST(Lv2Adapter, StateIsTheVstChunkInBothDirections) {
    Reference ref;
    const int bankKey = 0;
    // LV2 to VST: values set through ports, saved, loaded as a VST chunk.
    {
        Lv2Instance lv2(kRate);
        for (int i = 0; i < kSynthParamCount; ++i)
            lv2.controls[i] = static_cast<float>(lv2::toPortValue(ref.param(i), ref.effect->getParameterValue(i)));
        lv2.controls[kLFOFreq] = 7;
        lv2.controls[kLFOWave] = 2;
        lv2.controls[kMainLvl] = 0.25f;
        lv2.activate();
        std::vector<float> out(64);
        lv2.run(out.data(), 64);
        SavedState saved = lv2.save();
        const auto& bank = saved.values.at(lv2.map(KX_LV2_STATE_BANK));
        EXPECT_EQ(bank.type, lv2.map(LV2_ATOM__Chunk));

        VstInstance vst(static_cast<float>(kRate));
        std::vector<unsigned char> bytes = bank.bytes;
        ASSERT_EQ(vst.dispatch(effSetChunk, bankKey, static_cast<VstIntPtr>(bytes.size()), bytes.data()),
                  static_cast<VstIntPtr>(bytes.size()));
        for (int i = 0; i < kSynthParamCount; ++i)
            EXPECT_EQ(vst.effect->getParameter(vst.effect, i), parameterOf(lv2, i)) << "parameter " << i;
        EXPECT_NE(vst.effect->getParameter(vst.effect, kLFOFreq), ref.effect->getParameterValue(kLFOFreq));
    }
    // VST to LV2: another program with changed values; a host's stale ports
    // do not undo what the state brought.
    {
        VstInstance vst(static_cast<float>(kRate));
        vst.dispatch(effSetProgram, 0, 4);
        vst.effect->setParameter(vst.effect, kDetune1, 0.75f);
        vst.effect->setParameter(vst.effect, kLFOPhase, 0.5f);
        void* data = nullptr;
        const VstIntPtr size = vst.dispatch(effGetChunk, bankKey, 0, &data);
        ASSERT_GT(size, 0);
        const auto* bytes = static_cast<const unsigned char*>(data);

        Lv2Instance lv2(kRate);
        for (int i = 0; i < kSynthParamCount; ++i)
            lv2.controls[i] = static_cast<float>(lv2::toPortValue(ref.param(i), ref.effect->getParameterValue(i)));
        lv2.activate();
        std::vector<float> out(64);
        lv2.run(out.data(), 64);
        SavedState state;
        state.values[lv2.map(KX_LV2_STATE_BANK)] = {{bytes, bytes + size}, lv2.map(LV2_ATOM__Chunk)};
        const int32_t program = 4;
        const auto* p = reinterpret_cast<const unsigned char*>(&program);
        state.values[lv2.map(KX_LV2_STATE_PROGRAM)] = {{p, p + sizeof program}, lv2.map(LV2_ATOM__Int)};
        ASSERT_EQ(lv2.restore(state), LV2_STATE_SUCCESS);
        lv2.run(out.data(), 64);
        for (int i = 0; i < kSynthParamCount; ++i)
            EXPECT_EQ(parameterOf(lv2, i), vst.effect->getParameter(vst.effect, i)) << "parameter " << i;
        SavedState again = lv2.save();
        EXPECT_EQ(again.values.at(lv2.map(KX_LV2_STATE_BANK)).bytes, std::vector<unsigned char>(bytes, bytes + size));

        // A chunk too short for the bank is refused whole.
        state.values[lv2.map(KX_LV2_STATE_BANK)].bytes.resize(static_cast<size_t>(size) / 2);
        EXPECT_NE(lv2.restore(state), LV2_STATE_SUCCESS);
        EXPECT_EQ(parameterOf(lv2, kDetune1), 0.75f);
    }
}

}  // namespace
}  // namespace kx::testing
