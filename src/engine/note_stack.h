#pragma once

#include <array>
#include <cstdint>

namespace kx {

// Keys held down, oldest first; the top is the most recent. A key occurs at
// most once, so the 128 MIDI keys always fit and the audio thread never has to
// grow the storage.
class NoteStack {
public:
    static constexpr int kCapacity = 128;

    // Moves the key to the top (adding it when it is not held). A key beyond
    // the capacity of distinct keys is not stored.
    void push(std::int32_t key) noexcept;
    // Removes the key, keeping the order of the others; false when not held.
    bool remove(std::int32_t key) noexcept;
    void clear() noexcept { count_ = 0; }

    bool empty() const noexcept { return count_ == 0; }
    int count() const noexcept { return count_; }
    // The most recent key, -1 when none is held.
    std::int32_t top() const noexcept { return count_ > 0 ? keys_[static_cast<std::size_t>(count_ - 1)] : -1; }
    std::int32_t at(int index) const noexcept { return keys_[static_cast<std::size_t>(index)]; }

private:
    int find(std::int32_t key) const noexcept;

    std::array<std::int32_t, kCapacity> keys_{};
    int count_ = 0;
};

}  // namespace kx
