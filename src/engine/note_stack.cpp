#include "engine/note_stack.h"

namespace kx {

int NoteStack::find(std::int32_t key) const noexcept {
    for (int i = 0; i < count_; ++i)
        if (keys_[static_cast<std::size_t>(i)] == key)
            return i;
    return -1;
}

bool NoteStack::remove(std::int32_t key) noexcept {
    const int index = find(key);
    if (index < 0)
        return false;
    for (int i = index; i + 1 < count_; ++i)
        keys_[static_cast<std::size_t>(i)] = keys_[static_cast<std::size_t>(i + 1)];
    --count_;
    return true;
}

void NoteStack::push(std::int32_t key) noexcept {
    remove(key);
    if (count_ < kCapacity)
        keys_[static_cast<std::size_t>(count_++)] = key;
}

}  // namespace kx
