// Instances rendering on parallel threads, as hosts that process tracks in
// parallel run them, share the one random sequence without sharing draws.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "synth_host.h"

namespace kx::test {
namespace {

TEST(ParallelInstances, DrawDifferentNoiseFromTheOneSequence) {
    std::unique_ptr<Instance> instances[2];
    {
        SynthHost host;  // answers the set-up; the threads below run without one
        for (auto& inst : instances) {
            inst = std::make_unique<Instance>();
            inst->set(kNoise1, 1.0f);  // full-scale noise on the first oscillator
            EventList notes;
            notes.noteOn(0, 60, 100, 0);
            inst->dispatch(effProcessEvents, 0, 0, notes.build());
        }
    }
    constexpr int kBlocks = 40, kFrames = 512;
    std::vector<float> out[2];
    std::atomic<int> ready{0};
    auto render = [&](int which) {
        ready.fetch_add(1);
        while (ready.load() < 2) {
        }
        for (int b = 0; b < kBlocks; ++b) {
            const std::vector<float> block = instances[which]->render(kFrames);
            out[which].insert(out[which].end(), block.begin(), block.end());
        }
    };
    std::thread first(render, 0), second(render, 1);
    first.join();
    second.join();

    int same = 0;
    for (std::size_t i = 0; i < out[0].size(); ++i)
        same += out[0][i] == out[1][i];
    // Blocks that drew the same numbers would make every sample alike. With
    // their own parts of the sequence, next to none are.
    EXPECT_LT(same, static_cast<int>(out[0].size() / 100)) << same << " of " << out[0].size();
}

}  // namespace
}  // namespace kx::test
