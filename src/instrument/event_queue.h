// EventQueue: carries the MIDI events of one host block from processEvents to
// the sample at which each must act. Storage is allocated once, off the
// audio thread (setSampleRate); the audio thread only copies into it.
#pragma once

#include "plugin/vst_abi.h"

#include <memory>

namespace kx {

class KEffect;

class EventQueue {
public:
    static constexpr int kCapacity = 512;

    // Allocates the 512 records when there are fewer; false when that failed
    // (the capacity is then 0 and every event is ignored). Not for the audio thread.
    bool allocate();
    // Read position and write end at the start, sample counter 0.
    void clear() {
        readPos = writePos = 0;
        sampleCounter = 0;
    }
    // Audio thread: clears, then copies the list's MIDI events (up to the
    // capacity) in list order. Other event types are dropped. A null list
    // only clears.
    void fill(const VstEvents* events);

    int capacity() const { return capacity_; }
    int size() const { return writePos - readPos; }
    bool hasEvent() const { return readPos < writePos; }
    // The event at the read position; call only when hasEvent().
    const VstMidiEvent& front() const { return storage_[readPos]; }
    void pop() { ++readPos; }
    const VstMidiEvent* at(int index) const { return index >= 0 && index < writePos ? &storage_[index] : nullptr; }

    KEffect* eventTarget = nullptr;  // receives processMidiEvent; not owned
    int readPos = 0;                 // next event to deliver
    int writePos = 0;                // end of the queued events
    int sampleCounter = 0;           // samples rendered since the last fill or reset

private:
    std::unique_ptr<VstMidiEvent[]> storage_;
    int capacity_ = 0;
};

}  // namespace kx
