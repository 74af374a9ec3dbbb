// The battery's own pieces: the child process that contains a plug-in's
// crash or hang, the findings that travel back from it, the strict event
// lists, the sample checks, the heap call counter, the host's sequencer and
// the JSON document.
#include "kelvox2/validate/alloc_counter.h"
#include "kelvox2/validate/audio_check.h"
#include "kelvox2/validate/battery.h"
#include "kelvox2/host/child_process.h"
#include "kelvox2/host/event_list.h"
#include "kelvox2/validate/report.h"
#include "kelvox2/validate/score.h"
#include "kelvox2/validate/test_host.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KX_UNDER_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KX_UNDER_SANITIZER 1
#endif

namespace kx::validate {
namespace {

ChildOptions quickly(double hangSeconds = 20.0) {
    ChildOptions options;
    options.hangSeconds = hangSeconds;
    return options;
}

TEST(ChildProcess, ACrashIsReportedWithItsSignalAndWhatTheChildWasDoing) {
    const ChildOutcome outcome = runInChild(
        [](SharedReport& report) {
            report.setStage("closing the editor (close number 2)");
            std::abort();
        },
        quickly());
    EXPECT_EQ(outcome.end, ChildOutcome::End::Signal);
    EXPECT_EQ(outcome.signal, SIGABRT);
    EXPECT_EQ(outcome.describe(20.0), "crashed with SIGABRT (Aborted) while closing the editor (close number 2)");
}

TEST(ChildProcess, AnExitBeforeTheEndIsNotAFinish) {
    const ChildOutcome outcome = runInChild([](SharedReport&) { ::_exit(3); }, quickly());
    EXPECT_EQ(outcome.end, ChildOutcome::End::Exit);
    EXPECT_EQ(outcome.exitStatus, 3);
    const ChildOutcome finished = runInChild([](SharedReport& report) { report.setText("V pass\n"); }, quickly());
    EXPECT_EQ(finished.end, ChildOutcome::End::Finished);
    EXPECT_EQ(finished.report, "V pass\n");
}

TEST(ChildProcess, OnlyAChildWithoutHeartbeatsIsStoppedAsHung) {
    const auto start = std::chrono::steady_clock::now();
    const ChildOutcome hung = runInChild(
        [](SharedReport& report) {
            report.setStage("waiting forever");
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        },
        quickly(0.5));
    EXPECT_EQ(hung.end, ChildOutcome::End::Hung);
    EXPECT_EQ(hung.lastStage, "waiting forever");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);

    // Slow, but beating: left alone.
    const ChildOutcome slow = runInChild(
        [](SharedReport& report) {
            for (int i = 0; i < 30; ++i) {
                report.heartbeat.fetch_add(1);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            report.setText("V pass\n");
        },
        quickly(0.5));
    EXPECT_EQ(slow.end, ChildOutcome::End::Finished);
}

TEST(ChildProcess, FindingsMadeBeforeACrashSurviveIt) {
    const Settings settings;
    const PluginFacts facts;
    const ChildOutcome outcome = runInChild(
        [&](SharedReport& report) {
            Check check(settings, facts, &report, 1);
            check.stage("reading texts");
            check.fail("text", "wrote 24 bytes into a buffer of 9");
            std::abort();
        },
        quickly());
    const Findings findings = Findings::parse(outcome.report);
    ASSERT_EQ(findings.failures.size(), 1u);
    EXPECT_EQ(findings.failures.front(), "wrote 24 bytes into a buffer of 9 [reading texts]");
}

TEST(ChildProcess, OutputIsCapturedAndASanitizerReportCutToItsAccesses) {
    const ChildOutcome plain = runInChild(
        [](SharedReport&) {
            for (int i = 0; i < 30; ++i)
                std::printf("line %d\n", i);
            std::fflush(stdout);
            std::abort();
        },
        quickly());
    EXPECT_EQ(plain.output.find("line 17\n"), std::string::npos);  // only the last twelve
    EXPECT_NE(plain.output.find("line 18\nline 19\n"), std::string::npos) << plain.output;
    EXPECT_NE(plain.output.find("line 29\n"), std::string::npos);

    const ChildOutcome report = runInChild(
        [](SharedReport&) {
            std::fprintf(stderr,
                         "noise before\n==================\nWARNING: ThreadSanitizer: data race (pid=1)\n"
                         "  Write of size 8 at 0x1 by thread T2:\n    #0 writer a.cpp:1\n    #1 caller b.cpp:2\n"
                         "    #2 c c.cpp:3\n    #3 d d.cpp:4\n  Previous read of size 8 at 0x1 by thread T1:\n"
                         "    #0 reader r.cpp:9\n  Location is heap block of size 8 at 0x1 allocated by main thread:\n"
                         "    #0 operator new\n  Thread T2 (tid=5, running) created by main thread at:\n"
                         "    #0 pthread_create\nSUMMARY: ThreadSanitizer: data race a.cpp:1 in writer\n");
            std::abort();
        },
        quickly());
    const std::string& out = report.output;
    EXPECT_NE(out.find("WARNING: ThreadSanitizer: data race"), std::string::npos) << out;
    EXPECT_NE(out.find("#2 c c.cpp:3"), std::string::npos) << out;
    EXPECT_EQ(out.find("#3 d d.cpp:4"), std::string::npos) << out;
    EXPECT_NE(out.find("#0 reader r.cpp:9"), std::string::npos) << out;
    EXPECT_EQ(out.find("operator new"), std::string::npos) << out;
    EXPECT_EQ(out.find("pthread_create"), std::string::npos) << out;
    EXPECT_NE(out.find("SUMMARY: ThreadSanitizer"), std::string::npos) << out;
    EXPECT_EQ(out.find("noise before"), std::string::npos) << out;
}

TEST(Findings, RepeatedFaultsAreCountedUnderTheFirstAndSurviveTheTrip) {
    const Settings settings;
    const PluginFacts facts;
    Check check(settings, facts, nullptr, 1);
    check.saw("13 rates");
    check.stage("96000 Hz");
    check.fail("nan", "NaN at sample %d", 3);
    check.fail("nan", "NaN at sample %d", 9);
    check.fail("nan", "NaN at sample %d", 12);
    check.stage("%s", "");
    check.fail("text", "line one\nline two");
    check.note("a remark");
    check.note("a remark");
    const Findings f = Findings::parse(check.findings().serialise());
    EXPECT_EQ(f.verdict, Verdict::Fail);
    ASSERT_EQ(f.failures.size(), 2u);
    EXPECT_EQ(f.failures[0], "NaN at sample 3 [96000 Hz] (and 2 more like it)");
    EXPECT_EQ(f.failures[1], "line one line two");
    EXPECT_EQ(f.notes, std::vector<std::string>{"a remark"});
    EXPECT_EQ(f.seen, std::vector<std::string>{"13 rates"});

    Check skipping(settings, facts, nullptr, 1);
    skipping.skip("the plug-in has no editor");
    EXPECT_EQ(Findings::parse(skipping.findings().serialise()).verdict, Verdict::Skip);
}

TEST(Findings, LevelsScaleBetweenTheirEnds) {
    Settings settings;
    const PluginFacts facts;
    for (int level : {1, 5, 10}) {
        settings.level = level;
        Check check(settings, facts, nullptr, 1);
        EXPECT_EQ(check.byLevel(4, 40), level == 1 ? 4 : level == 5 ? 20 : 40);
    }
}

TEST(EventList, TheListHoldsItsEventsInOrderAndNotOneMore) {
    EventList list;
    list.noteOn(5, 60, 100, 3);
    list.sysex(7, {0xF0, 0x01, 0xF7});
    list.other(4, 32, 9);
    VstEvents* events = list.build();
    ASSERT_NE(events, nullptr);
    ASSERT_EQ(events->numEvents, 3);
    VstEvent* const* slots = events->events;
    const auto* note = reinterpret_cast<const VstMidiEvent*>(slots[0]);
    EXPECT_EQ(note->type, kVstMidiType);
    EXPECT_EQ(note->deltaFrames, 5);
    EXPECT_EQ(static_cast<unsigned char>(note->midiData[0]), 0x93);
    const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(slots[1]);
    EXPECT_EQ(sysex->type, kVstSysExType);
    ASSERT_EQ(sysex->dumpBytes, 3);
    EXPECT_EQ(std::memcmp(sysex->sysexDump, "\xF0\x01\xF7", 3), 0);
    EXPECT_EQ(slots[2]->type, 4);
    EXPECT_EQ(slots[2]->deltaFrames, 9);
}

TEST(EventList, PoisonOverwritesWhatWasHandedOutAndTheNextBuildIsWhole) {
    EventList list;
    list.noteOn(1, 64);
    VstEvents* first = list.build();
    const VstEvent* handed = first->events[0];
    list.poison();
    EXPECT_NE(handed->type, kVstMidiType);
    EXPECT_NE(first->events[0], handed);
    VstEvents* again = list.build();
    EXPECT_EQ(again->numEvents, 1);
    EXPECT_EQ(again->events[0]->type, kVstMidiType);
    EXPECT_EQ(again->events[0]->deltaFrames, 1);
}

TEST(AudioCheck, TheHostsMarkerIsToldFromEveryOtherKindOfSample) {
    float block[8];
    fillMarker(block, 8);
    EXPECT_TRUE(isMarker(block[7]));
    EXPECT_FALSE(isMarker(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(firstFault(block, 8).what, SampleFault::What::Unwritten);

    const float fine[] = {0.0f, -0.0f, 0.5f, -99.99f, 1e-30f};
    EXPECT_FALSE(firstFault(fine, 5));
    const struct {
        float value;
        SampleFault::What what;
    } cases[] = {{std::numeric_limits<float>::quiet_NaN(), SampleFault::What::NotANumber},
                 {-std::numeric_limits<float>::infinity(), SampleFault::What::Infinite},
                 {1e-40f, SampleFault::What::Denormal},
                 {100.0f, SampleFault::What::TooLoud}};
    for (const auto& c : cases) {
        const float samples[] = {0.25f, c.value};
        const SampleFault f = firstFault(samples, 2);
        EXPECT_EQ(f.what, c.what) << c.value;
        EXPECT_EQ(f.index, 1);
    }
    double wide[4];
    fillMarker(wide, 4);
    wide[0] = 0.1;
    wide[1] = 5e-320;  // denormal as a double
    EXPECT_EQ(firstFault(wide, 4).what, SampleFault::What::Denormal);
    EXPECT_EQ(firstGuardWrite(wide + 2, 2), -1);
}

TEST(AllocCounter, CountsHeapCallsOnTheCallingThreadOnly) {
#ifdef KX_UNDER_SANITIZER
    GTEST_SKIP() << "the sanitizer owns the allocation functions";
#endif
    ASSERT_TRUE(alloc_counter::available());
    std::atomic<int> step{0};
    std::thread other([&step] {
        while (step.load() != 1)
            std::this_thread::yield();
        for (int i = 0; i < 100; ++i) {
            void* volatile q = std::malloc(32);
            std::free(q);
        }
        step = 2;
    });
    alloc_counter::reset();
    {
        alloc_counter::Scope counting;
        void* volatile p = std::malloc(16);
        std::free(p);
        // The other thread's heap calls happen while this one counts.
        step = 1;
        while (step.load() != 2)
            std::this_thread::yield();
    }
    void* volatile after = std::malloc(8);
    std::free(after);
    EXPECT_EQ(alloc_counter::count(), 2u);
    other.join();
}

// Instances on the test fixtures: what the host checks on every block and
// every text request.
TEST(TestHost, EveryBlockAndEveryTextIsChecked) {
    const Settings settings;
    PluginFacts facts;
    Module nan, wordy;
    std::string error;
    ASSERT_TRUE(nan.load(KX_FIXTURE_DIR "/fixture_nan_at_96k.so", &error)) << error;
    ASSERT_TRUE(wordy.load(KX_FIXTURE_DIR "/fixture_long_display.so", &error)) << error;

    Check check(settings, facts, nullptr, 1);
    Instance instance(nan, check);
    ASSERT_TRUE(instance.create());
    instance.start(44100, 512);
    EventList list;
    list.noteOn(0, 60);
    instance.sendEvents(list);
    instance.process(512);
    EXPECT_FALSE(check.failed());
    EXPECT_GT(instance.lastPeak(), 0.01);
    EXPECT_EQ(instance.paramDisplay(0), "0.500");
    instance.start(96000, 512);
    instance.process(512);
    EXPECT_EQ(check.failuresOfKind("sample-nan"), 1);

    Check texts(settings, facts, nullptr, 1);
    Instance talker(wordy, texts);
    ASSERT_TRUE(talker.create());
    const GuardedText t = talker.text(effGetParamDisplay, 0, kVstMaxParamStrLen);
    EXPECT_NE(t.fault.find("wrote 20 bytes ('0.50000000000000000') into a buffer of 9"), std::string::npos) << t.fault;
    EXPECT_TRUE(talker.text(effGetParamName, 0, kVstMaxParamStrLen).fault.empty());
}

}  // namespace
}  // namespace kx::validate

namespace kx::validate {
namespace {

// A plug-in inside the test: it records where each event arrives.
struct Recorder {
    AEffect effect{};
    std::vector<std::pair<int, int>> seen;  // (block, deltaFrames) of each note-on
    int blocks = 0;
};

VstIntPtr recorderDispatch(AEffect* e, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    auto* r = static_cast<Recorder*>(e->object);
    if (opcode == effClose) {
        delete r;
        return 1;
    }
    if (opcode == effProcessEvents && ptr) {
        const auto* list = static_cast<const VstEvents*>(ptr);
        VstEvent* const* events = list->events;  // declared with two, holds numEvents
        for (VstInt32 i = 0; i < list->numEvents; ++i)
            r->seen.push_back({r->blocks, events[i]->deltaFrames});
    }
    return 0;
}

void recorderProcess(AEffect* e, float**, float** outputs, VstInt32 frames) {
    auto* r = static_cast<Recorder*>(e->object);
    for (VstInt32 i = 0; i < frames; ++i)
        outputs[0][i] = 0.0f;
    if (frames > 0)
        ++r->blocks;
}

Recorder* gLastRecorder = nullptr;

AEffect* recorderEntry(audioMasterCallback) {
    auto* r = new Recorder;
    r->effect.magic = kEffectMagic;
    r->effect.dispatcher = recorderDispatch;
    r->effect.processReplacing = recorderProcess;
    r->effect.numOutputs = 1;
    r->effect.object = r;
    gLastRecorder = r;
    return &r->effect;
}

TEST(Score, EachEventArrivesInItsBlockAtItsOffset) {
    const Settings settings;
    const PluginFacts facts;
    Check check(settings, facts, nullptr, 1);
    Module module;
    module.useEntry(recorderEntry);
    Score score;
    for (std::int64_t frame : {0, 511, 512, 1000, 1535, 5000})
        score.add(frame, 0x90, 60, 100);

    Instance fixed(module, check);
    ASSERT_TRUE(fixed.create());
    fixed.start(44100, 512);
    play(fixed, score, 0, 2048, fixedBlocks(512));
    const std::vector<std::pair<int, int>> want = {{0, 0}, {0, 511}, {1, 0}, {1, 488}, {2, 511}};
    EXPECT_EQ(gLastRecorder->seen, want);

    // Blocks of any size, empty ones included: every event once, at its frame.
    Instance varied(module, check);
    ASSERT_TRUE(varied.create());
    varied.start(44100, 700);
    std::vector<int> sizes;
    const BlockSizes next = randomBlocks(700, 7);
    const BlockSizes remembered = [&] {
        sizes.push_back(next());
        return sizes.back();
    };
    play(varied, score, 0, 6000, remembered);
    ASSERT_EQ(gLastRecorder->seen.size(), 6u);
    std::vector<std::int64_t> starts;  // frame at which each non-empty block began
    std::int64_t at = 0;
    for (int size : sizes) {
        const int frames = static_cast<int>(std::min<std::int64_t>(size, 6000 - at));
        if (frames > 0)
            starts.push_back(at);
        at += frames;
    }
    const std::int64_t frames[] = {0, 511, 512, 1000, 1535, 5000};
    for (std::size_t i = 0; i < 6; ++i) {
        const auto [block, delta] = gLastRecorder->seen[i];
        EXPECT_EQ(starts[static_cast<std::size_t>(block)] + delta, frames[i]) << i;
    }
    EXPECT_FALSE(check.failed());
}

}  // namespace
}  // namespace kx::validate

namespace kx::validate {
namespace {

// Names and texts come from plug-ins: the document stays valid whatever
// they hold.
TEST(Report, JsonEscapesWhatPlugInsSay) {
    PluginResult plugin;
    plugin.loaded = true;
    plugin.facts.path = "/tmp/a.so";
    plugin.facts.name = std::string("Quote \"and\" back\\slash\nnew") + '\x01' + "\xE9";
    TestResult test;
    test.name = "parameters";
    test.findings.verdict = Verdict::Fail;
    test.findings.failures.push_back("wrote 'x\ty'");
    plugin.tests.push_back(test);
    Totals totals;
    totals.add(test);
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    ASSERT_NE(out, nullptr);
    writeJson(out, Settings{}, {plugin}, totals);
    std::fclose(out);
    const std::string json(text, size);
    std::free(text);
    EXPECT_NE(json.find(R"("name": "Quote \"and\" back\\slash\nnew\u0001\u00e9")"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("failures": ["wrote 'x\ty'"])"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("failed": 1)"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("ok": false)"), std::string::npos) << json;
}

}  // namespace
}  // namespace kx::validate
