#pragma once
// The result of looking data up by name: a view of built-in bytes, or a
// buffer the block owns and frees.

#include <cstdint>
#include <memory>

namespace kx {

class KDataBlock {
public:
    KDataBlock() = default;
    ~KDataBlock() { clear(); }
    KDataBlock(const KDataBlock&) = delete;
    KDataBlock& operator=(const KDataBlock&) = delete;

    const std::uint8_t* bytes() const { return bytes_; }
    std::uint64_t length() const { return length_; }
    bool owned() const { return owned_; }
    bool empty() const { return bytes_ == nullptr || length_ == 0; }

    // Frees owned bytes and forgets the data.
    void clear();
    // Points at bytes that outlive the block (built-in data); not owned.
    void setView(const std::uint8_t* bytes, std::uint64_t length);
    // Takes a buffer over (for instance from readWholeFile); owned.
    void adopt(std::unique_ptr<std::uint8_t[]> bytes, std::uint64_t length);

private:
    const std::uint8_t* bytes_ = nullptr;
    std::uint64_t length_ = 0;
    bool owned_ = false;
};

// Looks `name` up among the built-in files (ignoring letter case), then among
// the module's own resources (module_resource.h), and points the block at
// what it finds. Returns the bytes, or null with the block empty.
const std::uint8_t* loadEmbedded(KDataBlock& block, const char* name);

}  // namespace kx
