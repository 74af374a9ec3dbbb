#include "instrument/event_queue.h"

#include <cstring>
#include <new>

namespace kx {

bool EventQueue::allocate() {
    if (capacity_ >= kCapacity)
        return true;
    storage_.reset();
    capacity_ = 0;
    storage_.reset(new (std::nothrow) VstMidiEvent[kCapacity]);
    if (storage_)
        capacity_ = kCapacity;
    clear();
    return capacity_ == kCapacity;
}

void EventQueue::fill(const VstEvents* events) {
    clear();
    if (!events || !storage_)
        return;
    // The list is declared with two entries but holds numEvents of them.
    VstEvent* const* list = events->events;
    for (VstInt32 i = 0; i < events->numEvents && writePos < capacity_; ++i) {
        const VstEvent* e = list[i];
        if (e && e->type == kVstMidiType)
            std::memcpy(&storage_[writePos++], e, sizeof(VstMidiEvent));
    }
}

}  // namespace kx
