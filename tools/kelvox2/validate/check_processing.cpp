// Test 2: every sample rate hosts offer, every block size they send (one
// frame to 8192, odd sizes, a new size every block, empty blocks), processing
// switched off and on between them, a rate change while running, and the
// 32-bit and 64-bit paths compared.
#include "kelvox2/validate/audio_check.h"
#include "kelvox2/validate/check_common.h"

#include <algorithm>
#include <cmath>

namespace kx::validate {

namespace {

void sweep(Check& check, Module& module) {
    Instance instance(module, check);
    if (!instance.create())
        return;
    const double seconds = 0.02 * check.byLevel(1, 10);
    int combinations = 0;
    // Every other rate on the 64-bit path, when there is one; from level 6
    // on, every rate on both.
    const int passes = check.level() >= 6 && check.facts.canDouble() ? 2 : 1;
    const std::vector<double> rates = sampleRates(check);
    for (std::size_t step = 0; step < passes * rates.size(); ++step) {
        const std::size_t r = step % rates.size();
        const double rate = rates[r];
        const bool wide = check.facts.canDouble() && (passes == 2 ? step >= rates.size() : r % 2 == 1);
        for (std::size_t s = 0; s <= kBlockSizes.size(); ++s) {
            const bool random = s == kBlockSizes.size();
            const int size = random ? 8192 : kBlockSizes[s];
            if (random)
                check.stage("%g Hz, a different block size every block, %s", rate, wide ? "64-bit" : "32-bit");
            else
                check.stage("%g Hz, blocks of %d, %s", rate, size, wide ? "64-bit" : "32-bit");
            instance.start(rate, size, wide);
            const auto frames = std::max<std::int64_t>(2 * size, static_cast<std::int64_t>(rate * seconds));
            const Score score = phrase(rate, double(frames) / rate, check.rng());
            play(instance, score, 0, frames, random ? randomBlocks(size, check.seed()) : fixedBlocks(size), wide);
            instance.stop();
            ++combinations;
            if (!instance.alive())
                return;
        }
    }
    check.saw("%zu rates from %g to %g Hz x %zu block patterns (%d runs%s, suspended between)", rates.size(),
              *std::min_element(rates.begin(), rates.end()), *std::max_element(rates.begin(), rates.end()),
              kBlockSizes.size() + 1, combinations, passes == 2 ? ", each on both paths" : "");
}

void rateChangeWhileRunning(Check& check, Module& module) {
    check.stage("sample rate changed while running");
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(ratesAmong(check, {44100.0}).front(), 512);
    holdNote(instance);
    const std::vector<double> rates = ratesAmong(check, {96000.0, 22050.0, 384000.0, 8000.0, 44100.0});
    for (double rate : rates) {
        for (int b = 0; b < 16; ++b)
            instance.process(512);
        instance.changeRateWhileRunning(rate);
    }
    for (int b = 0; b < 16; ++b)
        instance.process(512);
    check.saw("rate changed %s while a note sounded", times(static_cast<int>(rates.size())).c_str());
}

// The same phrase through two fresh instances, one on each path.
void compareWidths(Check& check, Module& module) {
    if (!check.facts.canDouble()) {
        check.saw("no 64-bit path to compare");
        return;
    }
    const std::vector<double> rates = ratesAmong(check, {44100.0, 96000.0, 8000.0, 192000.0});
    const int count = std::min(check.byLevel(2, 4), static_cast<int>(rates.size()));
    double worstDb = -999.0;
    for (int r = 0; r < count; ++r) {
        const double rate = rates[static_cast<std::size_t>(r)];
        check.stage("32-bit and 64-bit paths compared at %g Hz", rate);
        Instance narrow(module, check), wide(module, check);
        if (!narrow.create() || !wide.create())
            return;
        narrow.start(rate, 512, false);
        wide.start(rate, 512, true);
        const Score score = phrase(rate, 1.0, check.rng());
        double peak = 0.0, diff = 0.0;
        std::int64_t at = 0;
        const auto total = static_cast<std::int64_t>(rate * 1.5);
        while (at < total && narrow.alive() && wide.alive()) {
            play(narrow, score, at, 512, fixedBlocks(512), false);
            play(wide, score, at, 512, fixedBlocks(512), true);
            at += 512;
            const auto& a = narrow.lastBlock();
            const auto& b = wide.lastBlock();
            for (std::size_t c = 0; c < a.size() && c < b.size(); ++c)
                for (std::size_t i = 0; i < a[c].size() && i < b[c].size(); ++i) {
                    peak = std::max(peak, std::fabs(b[c][i]));
                    const double d = std::fabs(a[c][i] - b[c][i]);
                    if (d > diff || std::isnan(d))
                        diff = d;
                }
        }
        const double relative = dbfs(diff) - dbfs(std::max(peak, 1e-9));
        worstDb = std::max(worstDb, relative);
        // Rounding to 32 bits differs far below -80 dB of the signal.
        if (!(diff <= std::max(1e-4 * peak, 1e-6)))
            check.fail("widths", "32-bit and 64-bit output differ by %.1f dB below the peak at %g Hz", -relative, rate);
    }
    check.saw("32-bit and 64-bit paths agree (largest difference %.0f dB below the peak)", -worstDb);
}

}  // namespace

void checkProcessing(Check& check) {
    Module module;
    if (!loadModule(check, module))
        return;
    sweep(check, module);
    rateChangeWhileRunning(check, module);
    compareWidths(check, module);
}

}  // namespace kx::validate
