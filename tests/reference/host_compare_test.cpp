// The plug-in against the reference model: the LFO with and without host
// time, event timing within and beyond blocks, the float path, sample-rate
// changes, suspend/resume and program changes.
#include "twin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace kx::ref {
namespace {

class HostCompare : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(twin.start(&error)) << error;
    }
    static VstTimeInfo timeAt(double ppq, double tempo, bool playing, int flags = kVstPpqPosValid | kVstTempoValid) {
        VstTimeInfo t{};
        t.sampleRate = 44100;
        t.ppqPos = ppq;
        t.tempo = tempo;
        t.flags = flags | (playing ? kVstTransportPlaying : 0);
        return t;
    }
    Twin twin;
};

// Every shape with depth, speed and phase, as the transport starts, plays
// and stops; blocks of 300 samples re-lock the phase from the song position.
TEST_F(HostCompare, EveryLfoShapeFollowsHostTime) {
    twin.setParameter(26, 1.0f);         // depth 100 %
    twin.setParameter(24, 7.0f / 31);    // 8 cycles per bar
    twin.setParameter(25, 90.0f / 359);  // 90 degrees
    twin.events({noteOn(0, 57)});
    for (int shape = 0; shape < 6; ++shape) {
        SCOPED_TRACE(shape);
        twin.setParameter(23, static_cast<float>(shape) / 5);
        double ppq = 3.75 + shape;
        const double tempo = 133.0;
        for (int block = 0; block < 20; ++block) {
            const bool playing = block < 14;
            VstTimeInfo t = timeAt(ppq, tempo, playing);
            twin.setTime(&t);
            twin.render(300);
            if (playing)
                ppq += 300 * tempo / 60 / 44100;
        }
    }
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, LfoStandsStillWithoutUsableTimeInfo) {
    twin.setParameter(26, 0.6f);
    twin.events({noteOn(0, 64)});
    for (int shape = 0; shape < 6; ++shape) {
        SCOPED_TRACE(shape);
        twin.setParameter(23, static_cast<float>(shape) / 5);
        twin.setTime(nullptr);
        twin.render(700);
        // Tempo valid but no position: still no sync.
        VstTimeInfo t = timeAt(1.0, 120, true, kVstTempoValid);
        twin.setTime(&t);
        twin.render(700);
    }
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, RandomLfoDrawsOnWrapAndNegativePositions) {
    twin.setParameter(23, 1.0f);  // Random
    twin.setParameter(26, 0.8f);
    twin.setParameter(24, 1.0f);  // 32 per bar: wraps often
    twin.events({noteOn(0, 45)});
    VstTimeInfo t = timeAt(-2.3, 240, true);
    twin.setTime(&t);
    twin.renderBlocks(20000, 1024);
    // Transport stopped: keeps running at the last tempo.
    t = timeAt(100, 90, false);
    twin.setTime(&t);
    twin.renderBlocks(8000, 333);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, ZeroSampleBlockStillSyncs) {
    twin.setParameter(26, 1.0f);
    twin.setParameter(23, 0.6f);  // Rising
    twin.events({noteOn(0, 60)});
    twin.render(400);
    VstTimeInfo t = timeAt(2.5, 100, true);
    twin.setTime(&t);
    twin.render(0);
    t = timeAt(0.5, 150, true);
    twin.setTime(&t);
    twin.render(-7);  // negative counts sync too, and render nothing
    twin.setTime(nullptr);
    twin.render(2000);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, EventsAtOffsetsBeyondTheBlockAndOutOfOrder) {
    // Offsets inside the block, past its end (delivered by count in later
    // blocks), and a note-on and note-off on one sample in list order.
    twin.events({noteOn(10, 60), noteOn(63, 62), noteOff(64, 62), noteOn(700, 67), noteOff(1500, 67)});
    twin.renderBlocks(2048, 64);
    // Out of order: delivery stalls at the late event until the next list.
    twin.events({noteOn(5, 70), noteOn(2, 72), noteOff(300, 70)});
    twin.renderBlocks(1024, 128);
    twin.events({noteOff(0, 72), noteOff(1, 70)});
    twin.render(1500);
    // A negative offset is never reached and holds back the whole list.
    twin.events({noteOn(-1, 50), noteOn(3, 52)});
    twin.render(600);
    twin.events({noteOn(3, 52)});
    twin.render(600);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, UnconsumedEventsAreDroppedByTheNextList) {
    twin.events({noteOn(0, 60), noteOff(5000, 60)});
    twin.render(1000);
    twin.events({});  // the pending note-off is dropped
    twin.render(6000);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, SixHundredEventsKeepTheFirst512AndSkipSysEx) {
    // 511 events play a note and bend it; the 512th starts a second note;
    // the 88 after it would end both notes if they were queued.
    std::vector<VstMidiEvent> list{noteOn(0, 60)};
    for (int i = 1; i <= 510; ++i)
        list.push_back(bend(i, (i * 37) % 128, 32 + (i % 64)));
    list.push_back(noteOn(600, 67));
    for (int i = 0; i < 88; ++i)
        list.push_back(noteOff(700 + i, i % 2 ? 60 : 67));
    ASSERT_EQ(list.size(), 600u);
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    // The host list: 100 MIDI events, three SysEx, then the other 500.
    EventList hostList;
    for (size_t i = 0; i < 100; ++i)
        hostList.add(list[i]);
    std::vector<VstEvent*> tail(3, reinterpret_cast<VstEvent*>(&sysex));
    for (size_t i = 100; i < list.size(); ++i)
        tail.push_back(reinterpret_cast<VstEvent*>(&list[i]));
    twin.host().processEvents(hostList.build(tail));
    twin.model().processEvents(list);
    twin.renderBlocks(3000, 500);
    EXPECT_TWIN_MATCHES(twin);
    // Both notes still sound at the end.
    EXPECT_GT(twin.model().voice().osc[0].envelope.value, 0.99);
}

TEST_F(HostCompare, FloatPathIsTheRoundedDoubleAndOverwritesTheBuffer) {
    twin.setParameter(7, 1.0f);
    twin.setParameter(5, 0.3f);
    twin.setParameter(26, 0.5f);
    VstTimeInfo t = timeAt(0, 120, true);
    twin.setTime(&t);
    twin.events({noteOn(17, 50), noteOn(900, 55), noteOff(1800, 55), noteOff(1900, 50)});
    twin.renderBlocks(4096, 256, false);
    twin.events({noteOn(0, 80)});
    twin.render(500, true);  // mixing both paths keeps one state
    twin.render(500, false);
    EXPECT_TWIN_MATCHES(twin);
}

#if defined(__SSE__)
TEST_F(HostCompare, BlocksLeaveTheControlStateAsTheyFoundIt) {
    // Each block checks that the control state is unchanged afterwards;
    // here the host runs with and without flush-to-zero of its own.
    const unsigned saved = _mm_getcsr();
    twin.events({noteOn(0, 60), noteOff(2000, 60)});
    twin.render(1000);
    _mm_setcsr(saved | 0x8040);
    twin.render(1000, false);
    _mm_setcsr(saved & ~0x8040u);
    twin.render(3000);
    _mm_setcsr(saved);
    EXPECT_TWIN_MATCHES(twin);
}
#endif

TEST_F(HostCompare, SampleRateChangesMidNote) {
    twin.setParameter(7, 2.0f / 3);
    twin.setParameter(12, 0.2f);
    twin.setParameter(26, 0.7f);
    VstTimeInfo t = timeAt(1, 128, true);
    twin.setTime(&t);
    twin.events({noteOn(0, 62)});
    twin.render(3000);
    for (float rate : {48000.0f, 96000.0f, 22050.0f, 192000.0f, 44100.0f}) {
        SCOPED_TRACE(rate);
        twin.suspend();
        twin.setSampleRate(rate);
        twin.resume();
        // The reset released the note: its tail, then a new note and glide.
        twin.render(1000);
        twin.events({noteOn(0, 62), noteOn(1200, 74)});
        twin.renderBlocks(5000, 1000);
        twin.events({noteOff(0, 74), noteOff(0, 62)});
        twin.render(2000);
    }
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, UnusableSampleRatesAreIgnored) {
    // Zero, negative and non-finite rates would leave NaN or runaway values
    // in the oscillator phases for good; such a request changes nothing.
    // Very low and very high rates are taken.
    twin.events({noteOn(0, 60)});
    twin.render(500);
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       8.0f, 1e7f, 44100.0f}) {
        SCOPED_TRACE(rate);
        twin.setSampleRate(rate);
        twin.events({noteOn(0, 62), noteOff(300, 62)});
        twin.render(1000);
    }
    EXPECT_TWIN_MATCHES(twin);
    for (double v : twin.modelSamples())
        ASSERT_TRUE(std::isfinite(v));
}

TEST_F(HostCompare, HostSampleRateAnswerAtConstruction) {
    // Without a later effSetSampleRate the rate the host answered holds; an
    // answer of 0 keeps 44100 Hz.
    for (double answer : {96000.0, 0.0}) {
        SCOPED_TRACE(answer);
        Twin other;
        std::string error;
        ASSERT_TRUE(other.start(&error, answer, 0.0f)) << error;
        other.events({noteOn(0, 69), noteOff(20000, 69)});
        other.renderBlocks(30000, 4096);
        EXPECT_EQ(other.model().sampleRate(), answer > 0 ? answer : 44100.0);
        EXPECT_TWIN_MATCHES(other);
    }
}

TEST_F(HostCompare, InstancesOfOneModuleShareTheGenerator) {
    // Noise, offsets and the random LFO of both instances draw from one
    // sequence, in the order the host runs them.
    twin.setParameter(5, 0.5f);
    twin.events({noteOn(0, 60)});
    twin.render(300);
    Twin second;
    std::string error;
    ASSERT_TRUE(second.startBeside(twin, &error)) << error;
    second.setParameter(23, 1.0f);
    second.setParameter(26, 1.0f);
    second.setParameter(24, 1.0f);
    VstTimeInfo t = timeAt(0, 200, false);
    second.setTime(&t);
    second.setParameter(13, 0.7f);
    second.events({noteOn(0, 64)});
    for (int block = 0; block < 10; ++block) {
        twin.render(256 + block);
        second.render(512 - block, block % 2 == 0);
    }
    EXPECT_TWIN_MATCHES(twin);
    EXPECT_TWIN_MATCHES(second);
}

TEST_F(HostCompare, SuspendResumeReleasesHeldKeysAndKeepsThePhase) {
    twin.setParameter(3, 0.5f);  // long release on osc1
    twin.events({noteOn(0, 48), noteOn(100, 52)});
    twin.render(1500);
    twin.suspend();
    twin.resume();
    twin.render(3000);  // releasing: the keys are gone from the stack
    twin.events({noteOff(0, 52), noteOn(10, 55)});
    twin.render(2000);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, ChunksAndTypedValuesReachTheVoice) {
    twin.events({noteOn(0, 57)});
    twin.render(700);
    // A preset chunk with other values, applied at once.
    std::vector<uint8_t> chunk = twin.host().getChunk(true);
    ASSERT_EQ(chunk.size(), 265u);
    const std::pair<int, double> changes[] = {{0, 1.0}, {8, 0.4}, {9, 0.7}, {14, 0.6}, {23, 0.4}, {26, 0.9}, {29, 0.5}};
    for (const auto& [index, value] : changes)
        std::memcpy(chunk.data() + 25 + 8 * index, &value, sizeof value);
    twin.host().setChunk(chunk, true);
    for (const auto& [index, value] : changes)
        twin.model().setParameterValue(index, value);
    twin.render(1500);
    // Typed text, as a host's text entry sends it.
    ASSERT_TRUE(twin.host().string2parameter(1, "  12.5 cents"));
    twin.model().setParameterReal(1, 12.5);
    ASSERT_TRUE(twin.host().string2parameter(7, "square"));
    twin.model().setParameterReal(7, 2);
    twin.render(1500);
    EXPECT_TWIN_MATCHES(twin);
}

TEST_F(HostCompare, ProgramChangeAppliesTheOtherProgram) {
    twin.setParameter(0, 1.0f);
    twin.events({noteOn(0, 60)});
    twin.render(1000);
    twin.setProgram(3);  // defaults again: sine
    twin.render(1000);
    twin.setParameter(15, 1.0f / 3);
    twin.setProgram(0);
    twin.render(1000);
    twin.setProgram(-1);  // stays, still re-applies
    twin.render(500);
    // Only a re-application restarts the porta-reset count (0.1 s here):
    // program 12 is refused outright, -1 re-applies the current program.
    twin.setParameter(27, 0.0f);
    twin.setParameter(4, 0.5f);
    twin.events({noteOff(0, 60)});
    twin.render(3000);
    twin.setProgram(12);
    twin.render(1420);
    twin.events({noteOn(0, 72)});  // 4420 samples after the release: no glide
    twin.render(1000);
    twin.events({noteOff(0, 72)});
    twin.render(3000);
    twin.setProgram(-1);
    twin.render(1420);
    twin.events({noteOn(0, 60)});  // the count restarted: glides
    twin.render(2000);
    EXPECT_TWIN_MATCHES(twin);
}

}  // namespace
}  // namespace kx::ref
