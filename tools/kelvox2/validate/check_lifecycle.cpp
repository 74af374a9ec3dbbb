// Test 1: instances come and go the way hosts make them: scanners that only
// ask questions, sessions that toggle processing, many instances alive at
// once (each at a rate of its own), the module unloaded and loaded again,
// and instances created on one thread, run on a second and closed on a third.
#include "kelvox2/validate/check_common.h"

#include <algorithm>
#include <memory>
#include <set>
#include <thread>

namespace kx::validate {

namespace {

// A few blocks with a note, so that every instance really runs.
void exercise(Instance& instance, int blocks = 4) {
    holdNote(instance, 57 + instance.blocks() % 12);
    for (int b = 0; b < blocks; ++b)
        instance.process(256);
}

// What a scanner asks before it closes an instance it never runs, every
// answer in a guarded buffer.
void scan(Check& check, Instance& instance) {
    instance.dispatch(effGetVstVersion);
    instance.checkedText(effGetEffectName, 0, kVstMaxEffectNameLen);
    instance.checkedText(effGetVendorString, 0, kVstMaxVendorStrLen);
    instance.checkedText(effGetProductString, 0, kVstMaxProductStrLen);
    instance.checkedText(effShellGetNextPlugin, 0, kVstMaxProductStrLen);
    instance.dispatch(effGetPlugCategory);
    instance.dispatch(effGetVendorVersion);
    for (const char* what : {"sendVstEvents", "sendVstMidiEvent", "sendVstMidiEvents", "receiveVstMidiEvent",
                             "receiveVstEvents", "bypass", "MPE", ""})
        instance.dispatch(effCanDo, 0, 0, const_cast<char*>(what));
    VstPinProperties pin;
    for (int i = 0; i < check.facts.numInputs && i < 64; ++i)
        instance.guardedStruct(effGetInputProperties, i, &pin, sizeof pin, "input");
    for (int i = 0; i < check.facts.numOutputs && i < 64; ++i)
        instance.guardedStruct(effGetOutputProperties, i, &pin, sizeof pin, "output");
    instance.dispatch(effMainsChanged, 0, 0);
}

void openAndClose(Check& check, Module& module) {
    const int cycles = check.byLevel(4, 40);
    for (int i = 0; i < cycles; ++i) {
        check.stage("open and close, cycle %d of %d", i + 1, cycles);
        Instance instance(module, check);
        if (!instance.create())
            return;
        switch (i % 4) {
        case 0:  // a session: start, run, close while running
            instance.start(44100, 512);
            exercise(instance);
            break;
        case 1:  // a scanner
            scan(check, instance);
            break;
        case 2:  // processing switched off and on again, several times
            instance.start(48000, 512);
            exercise(instance);
            instance.stop();
            instance.dispatch(effMainsChanged, 0, 0);  // twice off
            instance.start(48000, 256);
            instance.dispatch(effMainsChanged, 0, 1);  // twice on
            exercise(instance);
            instance.stop();
            break;
        case 3:  // closed without ever processing, after the set-up requests
            instance.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
            instance.dispatch(effSetBlockSize, 0, 1024);
            break;
        }
        instance.close();
    }
    check.saw("%d open/close cycles (sessions, scans, suspend/resume, never started)", cycles);
}

void reloadModule(Check& check, Module& module) {
    const int reloads = check.byLevel(1, 4);
    for (int i = 0; i < reloads; ++i) {
        check.stage("module unloaded and loaded again (%d of %d)", i + 1, reloads);
        module.unload();
        std::string error;
        if (!module.load(check.facts.path, &error)) {
            check.fail("reload", "loading the module again failed: %s", error.c_str());
            return;
        }
        Instance instance(module, check);
        if (!instance.create())
            return;
        instance.start(44100, 512);
        exercise(instance);
        instance.close();
    }
    check.saw("module unloaded and loaded again %s", times(reloads).c_str());
}

void manyAlive(Check& check, Module& module, int count) {
    check.stage("%d instances alive at once", count);
    std::vector<std::unique_ptr<Instance>> instances;
    std::set<AEffect*> records;
    const std::vector<double> rates = sampleRates(check);
    for (int i = 0; i < count; ++i) {
        instances.push_back(std::make_unique<Instance>(module, check));
        if (!instances.back()->create())
            return;
        records.insert(instances.back()->effect());
        // Each at a rate of its own: state shared between instances shows.
        instances.back()->start(rates[static_cast<std::size_t>(i * 3) % rates.size()], 512);
    }
    if (static_cast<int>(records.size()) != count)
        check.fail("shared-record", "%d instances share %d records", count, static_cast<int>(records.size()));
    const int rounds = check.byLevel(8, 40);
    for (int r = 0; r < rounds; ++r)
        for (auto& instance : instances) {
            if (r % 8 == 0)
                holdNote(*instance, 48 + r % 24);
            instance->process(512);
        }
    // Closed in an order of their own.
    std::shuffle(instances.begin(), instances.end(), check.rng());
    for (auto& instance : instances) {
        instance->close();
        instance.reset();
    }
}

void acrossThreads(Check& check, Module& module) {
    const int rounds = check.byLevel(2, 10);
    for (int i = 0; i < rounds; ++i) {
        check.stage("created on one thread, run on a second, closed on a third (%d of %d)", i + 1, rounds);
        Instance instance(module, check);
        bool created = false;
        std::thread([&] { created = instance.create(); }).join();
        if (!created)
            return;
        std::thread([&] {
            instance.start(44100, 512);
            exercise(instance, 8);
        }).join();
        std::thread([&] {
            for (int p = 0; p < paramCount(check); ++p)
                instance.setParameter(p, instance.getParameter(p));
            instance.close();
        }).join();
    }
    // Two instances created at the same time on two threads.
    for (int i = 0; i < rounds; ++i) {
        check.stage("two instances created at once on two threads (%d of %d)", i + 1, rounds);
        Instance a(module, check), b(module, check);
        bool madeA = false, madeB = false;
        std::thread ta([&] { madeA = a.create(); });
        std::thread tb([&] { madeB = b.create(); });
        ta.join();
        tb.join();
        if (!madeA || !madeB)
            return;
        std::thread pa([&] {
            a.start(44100, 512);
            exercise(a, 16);
        });
        std::thread pb([&] {
            b.start(48000, 512);
            exercise(b, 16);
        });
        pa.join();
        pb.join();
    }
    check.saw("instances moved between threads %s, created two at a time %s", times(rounds).c_str(),
              times(rounds).c_str());
}

}  // namespace

void checkLifecycle(Check& check) {
    Module module;
    if (!loadModule(check, module))
        return;
    openAndClose(check, module);
    manyAlive(check, module, 2);
    manyAlive(check, module, 8);
    check.saw("2 and 8 instances alive at once, each at a rate of its own");
    acrossThreads(check, module);
    reloadModule(check, module);
}

}  // namespace kx::validate
