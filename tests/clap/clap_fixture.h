// The CLAP module beside the VST 2.4 one: the same instrument, loaded both ways.
#pragma once

#include "clap/clap_test_host.h"
#include "kelvox2/host/plugin_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kx::testing {

inline constexpr const char* kClapId = "org.kelvox2.kelvox2";

class ClapTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(clap.load(KX_CLAP_PATH, kClapId, &error)) << error;
        params = clap.extension<clap_plugin_params>(CLAP_EXT_PARAMS);
        ASSERT_NE(params, nullptr);
    }

    // The VST 2.4 instance, opened and resumed as a host does.
    void loadVst(double rate, int block) {
        std::string error;
        ASSERT_TRUE(vst.load(KX_PLUGIN_PATH, &error)) << error;
        vst.hostSampleRate = rate;
        vst.hostBlockSize = block;
        vst.open();
    }
    void activateVst(double rate, int block) {
        vst.setSampleRate(static_cast<float>(rate));
        vst.setBlockSize(block);
        vst.mainsChanged(true);
        vst.startProcess();
    }

    // The id of the parameter of that name; fails the test when absent.
    clap_id paramId(const char* name) {
        for (uint32_t i = 0; i < params->count(clap.plugin()); ++i) {
            clap_param_info info;
            if (params->get_info(clap.plugin(), i, &info) && std::strcmp(info.name, name) == 0)
                return info.id;
        }
        ADD_FAILURE() << "no parameter " << name;
        return 0;
    }
    double value(clap_id id) {
        double v = -1e300;
        EXPECT_TRUE(params->get_value(clap.plugin(), id, &v));
        return v;
    }
    std::string text(clap_id id, double plain) {
        char buffer[256] = {};
        EXPECT_TRUE(params->value_to_text(clap.plugin(), id, plain, buffer, sizeof buffer));
        return buffer;
    }
    // What the VST 2.4 instance shows for that index, with its units.
    std::string vstText(int index) {
        std::string label = vst.paramLabel(index);
        return vst.paramDisplay(index) + (label.empty() ? "" : " " + label);
    }

    template <typename T>
    static bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
    }

    ClapTestHost clap;
    const clap_plugin_params* params = nullptr;
    PluginHost vst;
};

}  // namespace kx::testing
