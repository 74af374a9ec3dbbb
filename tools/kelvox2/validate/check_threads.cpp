// Test 6: host automation from a second thread while the audio thread
// processes, and again while the user-interface thread idles the open
// editor: the three threads a host runs. Besides the checks of every block,
// this is the test to run under ThreadSanitizer.
#include "kelvox2/validate/check_common.h"
#include "kelvox2/validate/editor_driver.h"

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace kx::validate {

namespace {

using Clock = std::chrono::steady_clock;

// The audio thread: a phrase after phrase in blocks of 256 until told to stop.
void audioThread(Instance& instance, std::uint64_t seed, const std::atomic<bool>& stop, int* blocks) {
    std::mt19937_64 rng(seed);
    const Score score = phrase(instance.rate(), 2.0, rng);
    const std::int64_t length = static_cast<std::int64_t>(instance.rate() * 2.2);
    std::int64_t at = 0;
    while (!stop.load(std::memory_order_relaxed) && instance.alive()) {
        play(instance, score, at % length, 256, fixedBlocks(256));
        at += 256;
        ++*blocks;
    }
    EventList off;
    off.releaseEverything(0, 1);
    instance.sendEvents(off);
    instance.process(256);
}

// The automation thread: any parameter, any value in 0..1, about four
// thousand changes a second (every parameter of a large plug-in automated at
// the block rate of a busy session).
void automationThread(Instance& instance, int params, std::uint64_t seed, const std::atomic<bool>& stop, int* changes) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    while (!stop.load(std::memory_order_relaxed)) {
        for (int k = 0; k < 4 && params > 0; ++k) {
            const int index = static_cast<int>(rng() % static_cast<std::uint64_t>(params));
            instance.setParameter(index, value(rng));
            instance.getParameter(index);
            ++*changes;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

double secondsFor(Check& check) { return 0.25 * check.byLevel(1, 10); }

void whileProcessing(Check& check, Module& module) {
    check.stage("host automation from a second thread while processing");
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, 256);
    std::atomic<bool> stop{false};
    int blocks = 0, changes = 0, reads = 0;
    const int params = paramCount(check);
    std::thread audio(audioThread, std::ref(instance), check.seed(), std::cref(stop), &blocks);
    std::thread automation(automationThread, std::ref(instance), params, check.seed(), std::cref(stop), &changes);
    // This thread is the host's user interface: it reads what it shows.
    const auto end = Clock::now() + std::chrono::duration<double>(secondsFor(check));
    while (Clock::now() < end) {
        for (int i = 0; i < params; ++i) {
            instance.paramDisplay(i);
            ++reads;
        }
        instance.programName();
        check.beat();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop = true;
    automation.join();
    audio.join();
    check.saw(
        "%.2f s: %d blocks processed while %d parameter changes came from a second thread and %d displays "
        "were read from a third",
        secondsFor(check), blocks, changes, reads);
}

void whileEditorIdles(Check& check, Module& module) {
    if (!check.facts.hasEditor()) {
        check.saw("no editor to idle");
        return;
    }
    if (check.settings.display.empty()) {
        check.note("the editor was not idled: no X display");
        return;
    }
    check.stage("host automation from a second thread while the editor idles");
    XInitThreads();
    EditorHost x;
    std::string error;
    if (!x.open(check.settings.display, &error)) {
        check.fail("display", "%s", error.c_str());
        return;
    }
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, 256);
    EditorDriver editor(instance, x);
    if (!editor.open(0, 0, false))
        return;
    std::atomic<bool> stop{false};
    int blocks = 0, changes = 0, idles = 0;
    std::thread audio(audioThread, std::ref(instance), check.seed(), std::cref(stop), &blocks);
    std::thread automation(automationThread, std::ref(instance), paramCount(check), check.seed(), std::cref(stop),
                           &changes);
    const auto end = Clock::now() + std::chrono::duration<double>(secondsFor(check));
    while (Clock::now() < end) {
        editor.idle(1, 10);  // a host's idle timer
        ++idles;
    }
    stop = true;
    automation.join();
    audio.join();
    editor.idle(3);
    editor.close();
    check.saw(
        "%.2f s: %d editor idles while %d parameter changes came from a second thread and %d blocks were "
        "processed",
        secondsFor(check), idles, changes, blocks);
}

}  // namespace

void checkThreads(Check& check) {
    Module module;
    if (!loadModule(check, module))
        return;
    whileProcessing(check, module);
    whileEditorIdles(check, module);
}

}  // namespace kx::validate
