// Test 4: event lists of every shape a host may send: none, one note, a note
// at every offset of the block, a thousand at once, out of order, offsets
// before or beyond the block, velocity 0, every status byte with any data,
// SysEx of every length, events of other types. Afterwards every key is
// released and the plug-in must fall silent: a lost note-off shows.
#include "kelvox2/validate/audio_check.h"
#include "kelvox2/validate/check_common.h"

#include <algorithm>
#include <climits>
#include <numeric>

namespace kx::validate {

namespace {

constexpr int kBlock = 512;

void send(Instance& instance, EventList& list, int frames = kBlock) {
    instance.sendEvents(list);
    instance.process(frames);
    list.clear();
}

void releaseAll(Instance& instance) {
    for (int channel = 0; channel < 16; ++channel) {
        EventList list;
        for (int key = 0; key < 128; ++key)
            list.noteOff(0, key, channel);
        list.add(0, 0xB0 | channel, 123, 0);  // all notes off
        list.add(0, 0xB0 | channel, 64, 0);   // sustain pedal up
        list.add(0, 0xE0 | channel, 0, 64);   // bend to the centre
        send(instance, list);
    }
}

// After every key was released the sound must end; a note the plug-in lost
// track of keeps sounding.
void expectSilence(Check& check, Instance& instance, const char* after) {
    releaseAll(instance);
    double peak = 0.0;
    const double limit = tailLimit(instance);
    if (renderUntilSilent(instance, limit, kBlock, &peak) < 0.0)
        check.fail("stuck", "still sounding at %.1f dBFS %.0f s after every key was released (after %s)", dbfs(peak),
                   limit, after);
}

}  // namespace

void checkEvents(Check& check) {
    Module module;
    if (!loadModule(check, module))
        return;
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, kBlock);
    EventList list;
    int lists = 0;

    check.stage("no events");
    for (int b = 0; b < 8; ++b)
        instance.process(kBlock);
    send(instance, list);  // an empty list
    ++lists;

    check.stage("one note");
    list.noteOn(0, 60);
    send(instance, list);
    for (int b = 0; b < 8; ++b)
        instance.process(kBlock);
    list.noteOff(100, 60);
    send(instance, list);
    lists += 2;
    expectSilence(check, instance, "one note");

    for (int size : {64, kBlock, 37}) {
        if (size == 37 && check.level() < 5)
            break;
        check.stage("a note at every offset of %d-frame blocks", size);
        for (int offset = 0; offset < size; ++offset) {
            list.noteOn(offset, 36 + offset % 60, 1 + offset % 127, offset % 16);
            send(instance, list, size);
            list.noteOff(offset, 36 + offset % 60, offset % 16);
            send(instance, list, size);
            lists += 2;
        }
        expectSilence(check, instance, "notes at every offset");
    }

    check.stage("1000 events in one block");
    for (int round = 0; round < check.byLevel(1, 8); ++round) {
        for (int i = 0; i < 1000; ++i) {
            const int key = check.uniform(0, 127);
            list.add(i * kBlock / 1000, (i % 2 ? 0x80 : 0x90) | (i % 16), key, i % 2 ? 0 : 100);
        }
        send(instance, list);
        for (int i = 0; i < 1000; ++i)
            list.add(0, (i % 2 ? 0x80 : 0x90) | check.uniform(0, 15), check.uniform(0, 127), check.uniform(0, 127));
        send(instance, list);
        lists += 2;
    }
    expectSilence(check, instance, "1000 events in one block");

    check.stage("events out of order");
    for (int round = 0; round < check.byLevel(4, 40); ++round) {
        std::vector<int> offsets(32);
        for (int& o : offsets)
            o = check.uniform(0, kBlock - 1);
        for (std::size_t i = 0; i < offsets.size(); ++i)
            list.add(offsets[i], (i % 2 ? 0x80 : 0x90), 40 + static_cast<int>(i), 90);
        send(instance, list);
        ++lists;
    }
    expectSilence(check, instance, "events out of order");

    check.stage("offsets before and beyond the block");
    const int offsets[] = {-1, -kBlock, INT_MIN, kBlock, kBlock + 1, 2 * kBlock, INT_MAX};
    for (int offset : offsets) {
        list.noteOn(offset, 64);
        list.noteOff(offset, 64);
        send(instance, list);
        list.noteOn(0, 65);
        list.noteOn(offset, 66);
        list.noteOff(kBlock - 1, 65);
        send(instance, list);
        for (int b = 0; b < 3; ++b)
            instance.process(kBlock);  // no list between: late events may wait
        list.noteOff(0, 66);
        send(instance, list);
        lists += 3;
    }
    expectSilence(check, instance, "offsets outside the block");

    check.stage("velocity 0");
    for (int channel = 0; channel < 16; ++channel) {
        list.noteOn(0, 60 + channel, 100, channel);
        list.noteOn(kBlock / 2, 60 + channel, 0, channel);  // a release
        send(instance, list);
        ++lists;
    }
    expectSilence(check, instance, "velocity 0 note-ons");

    check.stage("every status byte");
    const bool anyData = check.level() >= 3;  // data bytes of 128..255 too
    for (int round = 0; round < check.byLevel(1, 4); ++round) {
        for (int status = 0; status < 256; ++status) {
            const int top = anyData ? 255 : 127;
            list.add(status * kBlock / 256, status, check.uniform(0, top), check.uniform(0, top));
        }
        send(instance, list);
        ++lists;
        for (int b = 0; b < 4; ++b)
            instance.process(kBlock);
    }
    expectSilence(check, instance, "every status byte");

    check.stage("SysEx and events of other types");
    {
        list.sysex(0, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});  // identity request
        list.sysex(1, {});                                    // empty, null dump
        std::vector<std::uint8_t> large(65536);
        for (std::size_t i = 0; i < large.size(); ++i)
            large[i] = static_cast<std::uint8_t>(i & 0x7F);
        large.front() = 0xF0;
        large.back() = 0xF7;
        list.sysex(2, large);
        list.noteOn(3, 60);
        for (VstInt32 type : {2, 3, 4, 5, 7, 99, -1})
            list.other(type, static_cast<VstInt32>(sizeof(VstEvent)), 4);
        list.noteOff(kBlock - 1, 60);
        send(instance, list);
        // MIDI events with odd sizes and fields.
        for (VstInt32 byteSize : {0, 24, 32, 1000, -1}) {
            VstMidiEvent e{};
            e.type = kVstMidiType;
            e.byteSize = byteSize;
            e.deltaFrames = 5;
            e.flags = kVstMidiEventIsRealtime;
            e.noteLength = -7;
            e.noteOffset = INT_MAX;
            e.midiData[0] = static_cast<char>(0x90);
            e.midiData[1] = 61;
            e.midiData[2] = 100;
            e.midiData[3] = static_cast<char>(0xFF);
            e.detune = -64;
            e.noteOffVelocity = 127;
            list.add(e);
            e.midiData[0] = static_cast<char>(0x80);
            e.deltaFrames = 6;
            list.add(e);
        }
        send(instance, list);
        lists += 2;
    }
    expectSilence(check, instance, "SysEx and other events");

    check.stage("two lists before one block");
    list.noteOn(0, 70);
    instance.sendEvents(list);
    list.clear();
    list.noteOff(0, 70);
    send(instance, list);
    lists += 2;
    expectSilence(check, instance, "two lists before one block");

    // Everything at once: lists of any length, any mix, any offsets, blocks
    // of many sizes (the smallest are the processing test's).
    const int randomLists = check.byLevel(20, 2000);
    check.stage("%d random lists", randomLists);
    for (int k = 0; k < randomLists; ++k) {
        const int count = check.uniform(0, 3) == 0 ? check.uniform(0, 700) : check.uniform(0, 12);
        const int frames = check.uniform(32, kBlock);
        for (int i = 0; i < count; ++i) {
            const int kind = check.uniform(0, 19);
            const int delta = kind == 0 ? check.uniform(-1000, 2 * kBlock) : check.uniform(0, frames - 1);
            if (kind == 1)
                list.sysex(delta, std::vector<std::uint8_t>(static_cast<std::size_t>(check.uniform(0, 300)), 0x11));
            else if (kind == 2)
                list.other(check.uniform(-2, 8), check.uniform(0, 64), delta);
            else
                list.add(delta, check.uniform(0x80, 0xFF), check.uniform(0, 255), check.uniform(0, 255));
        }
        send(instance, list, frames);
        ++lists;
    }
    expectSilence(check, instance, "random lists");

    check.saw(
        "%d event lists (none, one note, every offset, 1000 in a block, out of order, outside the block, "
        "velocity 0, every status byte, SysEx up to 64 KB, other types, %d random), silent after each kind",
        lists, randomLists);
}

}  // namespace kx::validate
