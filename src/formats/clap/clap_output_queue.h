// OutputQueue: the editor's gesture reports (begin, value, end) on their way
// from the main thread to the next process or flush, which hands them to the
// host as output events. One writer, one reader, no lock, no allocation.
#pragma once

#include <atomic>
#include <cstdint>

namespace kx::clap {

struct OutputReport {
    enum Kind : uint8_t { kBegin, kValue, kEnd };
    Kind kind = kValue;
    uint32_t index = 0;
    float normalised = 0.0f;
};

class OutputQueue {
public:
    static constexpr uint32_t kCapacity = 1024;

    // Writer side. False when full: the report is dropped (a value report's
    // successor carries the newer value anyway).
    bool push(const OutputReport& report) {
        const uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) >= kCapacity)
            return false;
        slots_[tail % kCapacity] = report;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }
    // Reader side.
    bool pop(OutputReport* report) {
        const uint32_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire))
            return false;
        *report = slots_[head % kCapacity];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }
    bool empty() const { return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire); }

private:
    OutputReport slots_[kCapacity];
    std::atomic<uint32_t> head_{0};
    std::atomic<uint32_t> tail_{0};
};

}  // namespace kx::clap
