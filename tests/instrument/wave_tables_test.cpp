#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <thread>

#include "engine/wave_table_set.h"
#include "synth_host.h"

namespace kx::test {
namespace {

float peakOf(const std::vector<float>& samples) {
    float peak = 0;
    for (float v : samples)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

// Each case runs in a fresh process (the tables are process-wide), which
// exits 0 when everything held and names the first thing that did not.
void inFreshProcess(void (*body)()) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            body();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

void fail(const char* what) {
    std::fputs(what, stderr);
    std::exit(1);
}

TEST(SynthWaveTables, AHostThatOnlyScansNeverBuildsThem) {
    inFreshProcess([] {
        SynthHost host;
        for (int i = 0; i < 3; ++i) {
            Instance instance;
            char name[64] = {};
            instance.dispatch(effGetEffectName, 0, 0, name);
            instance.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
            instance.dispatch(effSetBlockSize, 0, 512);
        }
        if (WaveTableSet::built())
            fail("built while scanning");
    });
}

TEST(SynthWaveTables, BuiltOnTheFirstResumeAndSharedByEveryInstance) {
    inFreshProcess([] {
        SynthHost host;
        Instance first, second;
        first.dispatch(effMainsChanged, 0, 1);
        const WaveTableSet* set = WaveTableSet::built();
        if (!set)
            fail("not built on resume");
        second.dispatch(effMainsChanged, 0, 1);
        if (WaveTableSet::built() != set || &WaveTableSet::instance() != set)
            fail("built twice");
    });
}

// Hosts resume instances on several threads at once: the tables are built
// once, and every instance plays from the same set.
TEST(SynthWaveTables, InstancesResumedOnTwoThreadsAtOnceShareOneBuild) {
    inFreshProcess([] {
        // No test host: its counters are not for two threads.
        Instance a, b;
        std::thread first([&a] { a.dispatch(effMainsChanged, 0, 1); });
        std::thread second([&b] { b.dispatch(effMainsChanged, 0, 1); });
        first.join();
        second.join();
        const WaveTableSet* set = WaveTableSet::built();
        if (!set || &WaveTableSet::instance() != set)
            fail("not one set");
    });
}

// A process call before any resume breaks the host's side of the contract;
// it stays safe: a table wave plays no tone (its noise and every state move
// on), and once resumed it sounds.
TEST(SynthWaveTables, BeforeAnyResumeATableWavePlaysSilenceThenSoundsOnceResumed) {
    inFreshProcess([] {
        SynthHost host;
        Instance instance;
        instance.set(kWave1, 1.0f);  // Sawtooth on all three
        instance.set(kWave2, 1.0f);
        instance.set(kWave3, 1.0f);
        EventList notes;
        notes.noteOn(0, 60);
        notes.send(instance);
        if (peakOf(instance.render(4096)) > 1e-4f)
            fail("a tone before the tables exist");
        instance.dispatch(effMainsChanged, 0, 1);
        EventList again;
        again.noteOn(0, 60);
        again.send(instance);
        if (peakOf(instance.render(4096)) < 0.05f)
            fail("silent after resume");
        if (WaveTableSet::built() == nullptr)
            fail("not built");
    });
}

}  // namespace
}  // namespace kx::test
