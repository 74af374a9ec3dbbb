// Long runs of mixed host traffic (parameters, notes, bends, time info,
// block sizes, both precisions, resets, programs, commands) drawn from a
// fixed seed, compared sample by sample. Catches the interactions that the
// focused comparisons do not think of.
#include "twin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace kx::ref {
namespace {

class TrafficCompare : public ::testing::TestWithParam<unsigned> {};

TEST_P(TrafficCompare, MixedHostTraffic) {
    std::mt19937 rng(GetParam());
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto unit = [&] { return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng); };

    Twin twin;
    std::string error;
    ASSERT_TRUE(twin.start(&error)) << error;
    double ppq = 0;
    double tempo = 60 + pick(140);
    bool playing = true;
    bool timeOn = pick(2) == 0;
    std::vector<int> held;

    for (int step = 0; step < 100; ++step) {
        SCOPED_TRACE(step);
        const int what = pick(100);
        if (what < 30) {
            const int index = pick(kRefParamCount);
            twin.setParameter(index, pick(4) == 0 ? static_cast<float>(pick(5)) / 4 : unit());
        } else if (what < 33) {
            const float rates[] = {44100.0f, 48000.0f, 88200.0f, 32000.0f};
            twin.setSampleRate(rates[pick(4)]);
            held.clear();
        } else if (what < 36) {
            twin.suspend();
            twin.resume();
            held.clear();
        } else if (what < 38) {
            twin.setProgram(pick(12) - 1);
        } else if (what < 40) {
            twin.executeCommand(pick(5), pick(2) == 0, false);
        } else if (what < 45) {
            timeOn = !timeOn;
            tempo = 60 + pick(140);
            playing = pick(3) != 0;
            ppq = pick(2) ? ppq : -1.5 + pick(16) * 0.37;
        }
        // Events for this block, sorted by offset (mostly within the block).
        const int frames = pick(8) == 0 ? 0 : 1 + pick(1200);
        std::vector<VstMidiEvent> list;
        const int count = pick(6);
        for (int e = 0; e < count; ++e) {
            const int at = pick(frames + 40);
            const int kind = pick(10);
            if (kind < 5 || held.empty()) {
                const int key = 30 + pick(70);
                list.push_back(noteOn(at, key, pick(6) == 0 ? 0 : 1 + pick(127), pick(16)));
                held.push_back(key);
            } else if (kind < 8) {
                const int which = pick(static_cast<int>(held.size()));
                list.push_back(noteOff(at, held[which], pick(16)));
                held.erase(held.begin() + which);
            } else {
                list.push_back(bend(at, pick(128), pick(128)));
            }
        }
        std::stable_sort(list.begin(), list.end(),
                         [](const VstMidiEvent& a, const VstMidiEvent& b) { return a.deltaFrames < b.deltaFrames; });
        if (!list.empty() || pick(3) == 0)
            twin.events(list);
        VstTimeInfo t{};
        t.ppqPos = ppq;
        t.tempo = tempo;
        t.flags = kVstPpqPosValid | kVstTempoValid | (playing ? kVstTransportPlaying : 0);
        twin.setTime(timeOn ? &t : nullptr);
        twin.render(frames, pick(3) != 0);
        if (playing)
            ppq += frames * tempo / 60 / twin.model().sampleRate();
    }
    EXPECT_TWIN_MATCHES(twin);
}

// Every state change of the voice falling inside long stretches without
// events, and the same traffic again in one-sample blocks.
TEST(TrafficCompareStretches, StateChangesInsideLongAndTinyBlocks) {
    for (int blockSize : {65536, 1}) {
        SCOPED_TRACE(blockSize);
        Twin twin;
        std::string error;
        ASSERT_TRUE(twin.start(&error)) << error;
        twin.setParameter(27, 0.0f);  // porta reset 0.1 s
        twin.setParameter(4, 0.05f);  // glides ending mid-block
        twin.setParameter(12, 0.11f);
        twin.setParameter(20, 0.5f);
        twin.setParameter(5, 0.1f);   // noise on osc1
        twin.setParameter(3, 0.02f);  // releases ending mid-block
        twin.setParameter(11, 0.05f);
        twin.setParameter(19, 0.3f);
        twin.setParameter(23, 1.0f);  // random LFO wrapping often
        twin.setParameter(24, 1.0f);
        twin.setParameter(26, 0.8f);
        VstTimeInfo t{};
        t.tempo = 180;
        t.flags = kVstPpqPosValid | kVstTempoValid;
        twin.setTime(&t);
        twin.events({noteOn(100, 48), noteOn(9000, 60), noteOff(20000, 60), noteOff(20001, 48), noteOn(24500, 55),
                     noteOff(30000, 55), noteOn(52000, 67), bend(52500, 0, 100), noteOff(60000, 67)});
        twin.renderBlocks(blockSize == 1 ? 70000 : 131072, blockSize);
        EXPECT_TWIN_MATCHES(twin);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, TrafficCompare, ::testing::Range(1u, 31u));

}  // namespace
}  // namespace kx::ref
