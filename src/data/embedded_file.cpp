#include "data/embedded_file.h"

#include "params/number_text.h"

#include <new>

namespace kx {
namespace {

// The registry grows by this many entries at a time.
constexpr std::size_t kGrowStep = 16;

// Constant-initialised, so it is ready before any dynamic initialiser of the
// generated file table runs, whatever the order of translation units.
struct Registry {
    const KEmbeddedFile** entries = nullptr;
    std::size_t count = 0;
    std::size_t capacity = 0;

    constexpr Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Released at process exit; later lookups (from other exit-time
    // destructors) then find nothing instead of reading freed memory.
    ~Registry() {
        delete[] entries;
        entries = nullptr;
        count = 0;
        capacity = 0;
    }
};

constinit Registry registry;

}  // namespace

void registerEmbeddedFile(const KEmbeddedFile* file) {
    if (file == nullptr)
        return;
    if (registry.count == registry.capacity) {
        const std::size_t capacity = registry.capacity + kGrowStep;
        auto* grown = new (std::nothrow) const KEmbeddedFile*[capacity];
        if (grown == nullptr)
            return;  // the file stays unknown; lookups still work
        for (std::size_t i = 0; i < registry.count; ++i)
            grown[i] = registry.entries[i];
        delete[] registry.entries;
        registry.entries = grown;
        registry.capacity = capacity;
    }
    registry.entries[registry.count++] = file;
}

const std::uint8_t* findEmbeddedFile(const char* name, std::uint64_t* length) {
    if (length != nullptr)
        *length = 0;
    if (name == nullptr)
        return nullptr;
    for (std::size_t i = 0; i < registry.count; ++i) {
        const KEmbeddedFile* file = registry.entries[i];
        if (equalsIgnoringCase(file->name, name)) {
            if (length != nullptr)
                *length = file->length;
            return file->bytes;
        }
    }
    return nullptr;
}

std::size_t embeddedFileCount() { return registry.count; }

const KEmbeddedFile* embeddedFileAt(std::size_t index) {
    return index < registry.count ? registry.entries[index] : nullptr;
}

}  // namespace kx
