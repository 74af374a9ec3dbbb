// Loads the built plug-in through the tool's host, as a DAW would.
#pragma once

#include "kelvox2/host/plugin_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kx::e2e {

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.load(KX_PLUGIN_PATH, &error)) << error;
        host.open();
        host.setSampleRate(44100.0f);
        host.setBlockSize(512);
    }

    // The normalised value stored in a chunk record's slot i.
    static double slotValue(const std::vector<uint8_t>& chunk, size_t recordStart, int index) {
        double v;
        std::memcpy(&v, chunk.data() + recordStart + 25 + 8 * index, sizeof v);
        return v;
    }

    PluginHost host;
};

}  // namespace kx::e2e
