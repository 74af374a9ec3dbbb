#include "kelvox2/host/event_list.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace kx {

void EventList::freeList() {
    std::free(list_);
    std::free(payload_);
    list_ = payload_ = nullptr;
    listBytes_ = payloadBytes_ = 0;
}

void EventList::clear() {
    freeList();
    order_.clear();
    midi_.clear();
    sysex_.clear();
    dumps_.clear();
    other_.clear();
}

VstMidiEvent makeMidiEvent(int deltaFrames, unsigned char status, unsigned char data1, unsigned char data2) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1);
    e.midiData[2] = static_cast<char>(data2);
    return e;
}

EventList::~EventList() { freeList(); }

void EventList::add(int delta, int status, int data1, int data2) {
    add(makeMidiEvent(delta, static_cast<unsigned char>(status), static_cast<unsigned char>(data1),
                      static_cast<unsigned char>(data2)));
}

void EventList::add(const VstMidiEvent& event) {
    order_.push_back({Kind::Midi, static_cast<int>(midi_.size())});
    midi_.push_back(event);
}

void EventList::sysex(int delta, const std::vector<std::uint8_t>& dump) {
    VstMidiSysexEvent e{};
    e.type = kVstSysExType;
    e.byteSize = sizeof(VstMidiSysexEvent);
    e.deltaFrames = delta;
    e.dumpBytes = static_cast<VstInt32>(dump.size());
    order_.push_back({Kind::Sysex, static_cast<int>(sysex_.size())});
    sysex_.push_back(e);
    dumps_.emplace_back(dump.begin(), dump.end());
}

void EventList::other(VstInt32 type, VstInt32 byteSize, int delta) {
    VstEvent e{};
    e.type = type;
    e.byteSize = byteSize;
    e.deltaFrames = delta;
    for (int i = 0; i < 16; ++i)
        e.data[i] = static_cast<char>(0x80 + i);
    order_.push_back({Kind::Other, static_cast<int>(other_.size())});
    other_.push_back(e);
}

void EventList::releaseEverything(int channelFirst, int channelLast) {
    for (int channel = channelFirst; channel <= channelLast; ++channel)
        for (int key = 0; key < 128; ++key)
            noteOff(0, key, channel);
}

VstEvents* EventList::build(const std::vector<VstEvent*>& extra) {
    freeList();
    const std::size_t own = order_.size();
    const std::size_t n = own + extra.size();
    // Payload: every event at its own size, then the SysEx dumps.
    std::size_t bytes = 0;
    for (const Entry& e : order_)
        bytes += e.kind == Kind::Sysex ? sizeof(VstMidiSysexEvent) : sizeof(VstMidiEvent);
    for (const std::vector<char>& d : dumps_)
        bytes += d.size();
    listBytes_ = offsetof(VstEvents, events) + sizeof(VstEvent*) * n;
    payloadBytes_ = bytes;
    list_ = static_cast<unsigned char*>(std::calloc(1, listBytes_));
    payload_ = static_cast<unsigned char*>(std::malloc(bytes ? bytes : 1));
    if (!list_ || !payload_) {
        freeList();
        return nullptr;
    }
    unsigned char* at = payload_;
    unsigned char* dumpAt = payload_ + bytes;
    for (const std::vector<char>& d : dumps_)
        dumpAt -= d.size();
    const VstInt32 count = static_cast<VstInt32>(n);
    std::memcpy(list_ + offsetof(VstEvents, numEvents), &count, sizeof count);
    for (std::size_t i = own; i < n; ++i)
        std::memcpy(list_ + offsetof(VstEvents, events) + sizeof(VstEvent*) * i, &extra[i - own], sizeof(VstEvent*));
    for (std::size_t i = 0; i < own; ++i) {
        const Entry& e = order_[i];
        void* event = at;
        switch (e.kind) {
        case Kind::Midi:
            std::memcpy(at, &midi_[e.index], sizeof(VstMidiEvent));
            at += sizeof(VstMidiEvent);
            break;
        case Kind::Other:
            std::memcpy(at, &other_[e.index], sizeof(VstEvent));
            at += sizeof(VstEvent);
            break;
        case Kind::Sysex: {
            VstMidiSysexEvent s = sysex_[e.index];
            const std::vector<char>& dump = dumps_[e.index];
            s.sysexDump = nullptr;
            if (!dump.empty()) {
                std::memcpy(dumpAt, dump.data(), dump.size());
                s.sysexDump = reinterpret_cast<char*>(dumpAt);
                dumpAt += dump.size();
            }
            std::memcpy(at, &s, sizeof s);
            at += sizeof s;
            break;
        }
        }
        std::memcpy(list_ + offsetof(VstEvents, events) + sizeof(VstEvent*) * i, &event, sizeof event);
    }
    return reinterpret_cast<VstEvents*>(list_);
}

void EventList::poison() {
    if (list_)
        std::memset(list_ + offsetof(VstEvents, events), 0xEE, listBytes_ - offsetof(VstEvents, events));
    if (payload_)
        std::memset(payload_, 0xEE, payloadBytes_);
}

}  // namespace kx
