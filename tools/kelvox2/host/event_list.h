// EventList: a VstEvents list the way a strict host hands it over: the
// pointer array allocated for exactly numEvents entries, every event in
// memory of its own kind, and all of it overwritten once the call returned
// (the interface makes it valid only during the call). Every host of the
// tool sends its events through one.
#pragma once

#include "plugin/vst_abi.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kx {

// A short MIDI message at a sample offset within the block, as a host sends it.
VstMidiEvent makeMidiEvent(int deltaFrames, unsigned char status, unsigned char data1, unsigned char data2);

class EventList {
public:
    EventList() = default;
    ~EventList();
    EventList(const EventList&) = delete;
    EventList& operator=(const EventList&) = delete;

    void clear();
    int size() const { return static_cast<int>(order_.size()); }
    bool empty() const { return order_.empty(); }

    void add(int delta, int status, int data1, int data2);
    void add(const VstMidiEvent& event);
    void noteOn(int delta, int key, int velocity = 100, int channel = 0) { add(delta, 0x90 | channel, key, velocity); }
    void noteOff(int delta, int key, int channel = 0) { add(delta, 0x80 | channel, key, 0); }
    // A SysEx event; `dump` may be empty, and then the pointer is null.
    void sysex(int delta, const std::vector<std::uint8_t>& dump);
    // An event of another (deprecated or unknown) type.
    void other(VstInt32 type, VstInt32 byteSize, int delta);
    // Note-offs for every key on every channel, sorted, delta 0.
    void releaseEverything(int channelFirst, int channelLast);

    // A fresh copy of the list; valid until poison(), clear() or the next
    // build(). `extra` events (made by the caller) are listed after the
    // list's own without being copied.
    VstEvents* build(const std::vector<VstEvent*>& extra = {});
    // Overwrites the list and its events: a plug-in that kept pointers past
    // the call reads garbage (and a sanitizer build sees it).
    void poison();

private:
    enum class Kind { Midi, Sysex, Other };
    struct Entry {
        Kind kind;
        int index;
    };
    std::vector<Entry> order_;
    std::vector<VstMidiEvent> midi_;
    std::vector<VstMidiSysexEvent> sysex_;
    std::vector<std::vector<char>> dumps_;
    std::vector<VstEvent> other_;
    // The list handed out: numEvents pointers and not one more, and a copy
    // of the events and dumps it points to. The entries above stay as they
    // are, so a list can be built again after poison().
    unsigned char* list_ = nullptr;
    std::size_t listBytes_ = 0;
    unsigned char* payload_ = nullptr;
    std::size_t payloadBytes_ = 0;
    void freeList();
};

}  // namespace kx
