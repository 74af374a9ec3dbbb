// Test 3: what comes out. Every block of every test is checked (finite, no
// denormals, below +40 dBFS, written in full); here the plug-in also gets
// random settings at every rate, must fall silent once every note has ended
// and its release passed, and must give the same output for the same input
// in two instances side by side and in a later run.
#include "kelvox2/validate/audio_check.h"
#include "kelvox2/validate/check_common.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kx::validate {

namespace {

void randomSettings(Check& check, Module& module) {
    const int patches = check.byLevel(1, 6);
    const std::vector<double> rates = sampleRates(check);
    for (double rate : rates) {
        Instance instance(module, check);
        if (!instance.create())
            return;
        instance.start(rate, 512);
        for (int p = 0; p < patches; ++p) {
            check.stage("random settings %d of %d at %g Hz", p + 1, patches, rate);
            for (int i = 0; i < paramCount(check); ++i)
                instance.setParameter(i, static_cast<float>(check.uniform01()));
            const Score score = phrase(rate, 0.5, check.rng());
            play(instance, score, 0, static_cast<std::int64_t>(rate * 0.75), fixedBlocks(512));
        }
    }
    check.saw("%d random settings at each of %zu rates", patches, rates.size());
}

void silenceAfterRelease(Check& check, Module& module) {
    double longest = 0.0;
    int runs = 0;
    auto run = [&](Instance& instance, const char* what, bool wide) {
        const Score score = phrase(instance.rate(), 1.0, check.rng());
        play(instance, score, 0, score.end() + 1, fixedBlocks(512), wide);
        const double limit = tailLimit(instance);
        double peak = 0.0;
        const double after = renderUntilSilent(instance, limit, 512, &peak, wide);
        ++runs;
        if (after < 0.0)
            check.fail("not-silent", "%s still sounds at %.1f dBFS %.0f s after every note ended", what, dbfs(peak),
                       limit);
        else
            longest = std::max(longest, after);
    };
    // Every other rate on the 64-bit path, when there is one: a release can
    // end in denormals on one path only.
    const std::vector<double> rates = sampleRates(check);
    for (std::size_t r = 0; r < rates.size(); ++r) {
        const bool wide = check.facts.canDouble() && (r % 2 == 1 || rates.size() == 1);
        check.stage("silence after release at %g Hz, %s", rates[r], wide ? "64-bit" : "32-bit");
        Instance instance(module, check);
        if (!instance.create())
            return;
        instance.start(rates[r], 512, wide);
        run(instance, "the first program", wide);
    }
    const int programs = std::min(programCount(check), check.byLevel(4, 32));
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, 512);
    for (int p = 0; p < programs; ++p) {
        check.stage("silence after release with program %d", p);
        instance.dispatch(effSetProgram, 0, p);
        char what[64];
        std::snprintf(what, sizeof what, "program %d", p);
        run(instance, what, false);
    }
    check.saw("silent after release in %d runs (every rate, %d program%s; longest tail %.2f s)", runs, programs,
              programs == 1 ? "" : "s", longest);
}

// Largest difference between two instances' last blocks.
double difference(const Instance& a, const Instance& b) {
    double d = 0.0;
    const auto& x = a.lastBlock();
    const auto& y = b.lastBlock();
    for (std::size_t c = 0; c < x.size() && c < y.size(); ++c)
        for (std::size_t i = 0; i < x[c].size() && i < y[c].size(); ++i) {
            const double e = std::fabs(x[c][i] - y[c][i]);
            if (e > d || std::isnan(e))
                d = e;
        }
    return d;
}

void repeatable(Check& check, Module& module) {
    check.stage("the same input through two instances side by side");
    const double rate = 44100.0;
    const Score score = phrase(rate, 2.0, check.rng());
    const auto total = static_cast<std::int64_t>(rate * 2.5);
    std::vector<std::vector<std::vector<double>>> first;
    double sideBySide = 0.0, later = 0.0;
    {
        Instance a(module, check), b(module, check);
        if (!a.create() || !b.create())
            return;
        a.start(rate, 512);
        b.start(rate, 512);
        for (std::int64_t at = 0; at < total && a.alive() && b.alive(); at += 512) {
            play(a, score, at, 512, fixedBlocks(512));
            play(b, score, at, 512, fixedBlocks(512));
            sideBySide = std::max(sideBySide, difference(a, b));
            first.push_back(a.lastBlock());
        }
    }
    if (!(sideBySide <= kSilenceLimit))
        check.fail("repeat-pair", "two instances given the same input differ by up to %.1f dBFS", dbfs(sideBySide));
    check.stage("the same input through a later instance");
    Instance c(module, check);
    if (!c.create())
        return;
    c.start(rate, 512);
    std::size_t block = 0;
    for (std::int64_t at = 0; at < total && c.alive() && block < first.size(); at += 512, ++block) {
        play(c, score, at, 512, fixedBlocks(512));
        const auto& x = c.lastBlock();
        const auto& y = first[block];
        for (std::size_t ch = 0; ch < x.size() && ch < y.size(); ++ch)
            for (std::size_t i = 0; i < x[ch].size() && i < y[ch].size(); ++i) {
                const double e = std::fabs(x[ch][i] - y[ch][i]);
                if (e > later || std::isnan(e))
                    later = e;
            }
    }
    if (!(later <= kSilenceLimit))
        check.fail("repeat-later", "a later run of the same input differs by up to %.1f dBFS", dbfs(later));
    check.saw("same input, same output: two instances side by side differ by %s, a later run by %s",
              levelText(sideBySide).c_str(), levelText(later).c_str());
}

}  // namespace

void checkOutput(Check& check) {
    Module module;
    if (!loadModule(check, module))
        return;
    randomSettings(check, module);
    silenceAfterRelease(check, module);
    repeatable(check, module);
}

}  // namespace kx::validate
