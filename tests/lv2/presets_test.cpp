// The bundle's presets are the factory sounds of the VST 2.4 bank file:
// each preset's port values, set on an LV2 instance, give the values that
// the bank's program gives the VST instance.
#include "lv2_driver.h"

#include "kelvox2/host/fx_preset.h"
#include "plugin/effect.h"
#include "support/command_run.h"

#include "formats/lv2/lv2_instance.h"

#include <memory>
#include <regex>

namespace kx::testing {
namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Each preset's port values by symbol, in the order of the programs.
std::vector<std::map<std::string, float>> presetsOfBundle() {
    const std::string text = readFile(KX_LV2_BUNDLE "/presets.ttl");
    std::vector<std::map<std::string, float>> presets;
    const std::regex head("#program([0-9]+)>"), value("lv2:symbol \"(\\w+)\" ; pset:value ([-0-9.e+]+)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), head); it != std::sregex_iterator(); ++it) {
        EXPECT_EQ(std::stoi((*it)[1]), static_cast<int>(presets.size()) + 1);
        const size_t end = text.find(" .\n", static_cast<size_t>(it->position()));
        const std::string body =
            text.substr(static_cast<size_t>(it->position()), end - static_cast<size_t>(it->position()));
        std::map<std::string, float> values;
        for (auto v = std::sregex_iterator(body.begin(), body.end(), value); v != std::sregex_iterator(); ++v)
            values[(*v)[1]] = std::stof((*v)[2]);
        presets.push_back(values);
    }
    return presets;
}

TEST(Lv2Presets, AreTheFactoryBankOfTheVstFormat) {
    const std::string bytes = readFile(KX_BINARY_DIR "/presets/factory.fxb");
    FxBank bank;
    std::string error;
    ASSERT_TRUE(parseFxb(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bank, error)) << error;
    const auto presets = presetsOfBundle();
    ASSERT_EQ(presets.size(), bank.programs.size());
    std::unique_ptr<KEffect> reference(static_cast<KEffect*>(createEffectInstance(quietHost)));

    for (size_t p = 0; p < presets.size(); ++p) {
        Lv2Instance lv2(48000.0);
        VstInstance vst(48000.0f);
        ASSERT_EQ(presets[p].size(), static_cast<size_t>(kSynthParamCount));
        for (int i = 0; i < kSynthParamCount; ++i) {
            lv2.controls[i] = presets[p].at(reference->getParam(i)->getName());
            vst.effect->setParameter(vst.effect, i, bank.programs[p].params[static_cast<size_t>(i)]);
        }
        lv2.activate();
        std::vector<float> out(64);
        lv2.run(out.data(), 64);
        AEffect* effect = static_cast<lv2::Instance*>(lv2.handle())->effect;
        for (int i = 0; i < kSynthParamCount; ++i) {
            // What the value means (the effect quantises to its steps).
            const KParam& param = *reference->getParam(i);
            const double got = param.quantise(effect->getParameter(effect, i));
            const double want = param.quantise(vst.effect->getParameter(vst.effect, i));
            EXPECT_NEAR(got, want, 1e-7) << bank.programs[p].name << " " << param.getName();
        }
    }
}

}  // namespace
}  // namespace kx::testing
