// Test 9: what a block costs. At every rate the slowest block's processor
// time is set against the block's duration (thread CPU time, so that a busy
// machine's waiting does not count), and every heap call the plug-in makes
// on the audio thread is counted, in processing and in automation from it.
#include "kelvox2/validate/alloc_counter.h"
#include "kelvox2/validate/audio_check.h"
#include "kelvox2/validate/check_common.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace kx::validate {

void checkCost(Check& check) {
    Module module;
    if (!loadModule(check, module))
        return;
    constexpr int kBlock = 512;
    const double seconds = 0.1 * check.byLevel(2, 20);
    const bool counting = alloc_counter::available();
    double worst = 0.0, worstRate = 0.0;
    double cpuTotal = 0.0, audioTotal = 0.0;
    std::uint64_t heapInBlocks = 0, heapInAutomation = 0;
    int blocksWithHeap = 0, blocks = 0;
    std::string perRate;
    std::string firstHeap;
    const std::vector<double> rates = sampleRates(check);
    for (std::size_t r = 0; r < rates.size(); ++r) {
        const double rate = rates[r];
        const bool wide = r % 2 == 1 && check.facts.canDouble();
        check.stage("cost at %g Hz", rate);
        Instance instance(module, check);
        if (!instance.create())
            return;
        instance.start(rate, kBlock, wide);
        const Score score = phrase(rate, seconds, check.rng());
        const auto total = static_cast<std::int64_t>(rate * seconds);
        const double blockNs = kBlock / rate * 1e9;
        double slowest = 0.0;
        for (std::int64_t at = 0; at < total && instance.alive(); at += kBlock) {
            // The host's automation arrives on the audio thread between blocks.
            if (check.facts.numParams > 0) {
                const int index = check.uniform(0, paramCount(check) - 1);
                const float value = static_cast<float>(check.uniform01());
                alloc_counter::reset();
                alloc_counter::begin();
                instance.setParameter(index, value);
                alloc_counter::end();
                heapInAutomation += alloc_counter::count();
            }
            play(instance, score, at, kBlock, fixedBlocks(kBlock), wide);
            const double share = double(instance.lastCpuNanoseconds()) / blockNs;
            slowest = std::max(slowest, share);
            cpuTotal += double(instance.lastCpuNanoseconds());
            audioTotal += blockNs;
        }
        blocks += instance.blocks();
        if (instance.heapCalls() > 0) {
            heapInBlocks += instance.heapCalls();
            blocksWithHeap += instance.blocksWithHeapCalls();
            if (firstHeap.empty()) {
                char where[96];
                std::snprintf(where, sizeof where, "first in block %d at %g Hz", instance.firstBlockWithHeapCalls(),
                              rate);
                firstHeap = where;
            }
        }
        char entry[48];
        std::snprintf(entry, sizeof entry, "%s%g: %.1f%%", perRate.empty() ? "" : ", ", rate / 1000.0, slowest * 100.0);
        perRate += entry;
        if (slowest > worst) {
            worst = slowest;
            worstRate = rate;
        }
        // A block that takes longer than it lasts cannot play in real time,
        // however idle the machine.
        if (slowest > 1.0)
            check.fail("real-time", "the slowest block at %g Hz took %.0f%% of its duration in processor time", rate,
                       slowest * 100.0);
    }
    check.saw("slowest block %.1f%% of real time (at %g Hz); on average %.2f%%; per rate in kHz: %s", worst * 100.0,
              worstRate, audioTotal > 0 ? cpuTotal / audioTotal * 100.0 : 0.0, perRate.c_str());
    if (!counting) {
        check.note("heap calls not counted: this build's sanitizer owns the allocation functions");
        return;
    }
    if (heapInBlocks > 0)
        check.fail("heap-process", "%llu heap calls on the audio thread in %d of %d blocks (%s)",
                   static_cast<unsigned long long>(heapInBlocks), blocksWithHeap, blocks, firstHeap.c_str());
    if (heapInAutomation > 0)
        check.fail("heap-automation", "%llu heap calls in setParameter on the audio thread",
                   static_cast<unsigned long long>(heapInAutomation));
    check.saw("%llu heap calls in %d blocks and their event lists, %llu in automation on the audio thread",
              static_cast<unsigned long long>(heapInBlocks), blocks, static_cast<unsigned long long>(heapInAutomation));
}

}  // namespace kx::validate
