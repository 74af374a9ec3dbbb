#pragma once
// Where the line reader takes its bytes from: built-in data in memory, or a
// file on disk.

#include <cstddef>
#include <cstdint>

#include "data/data_block.h"

namespace kx {

class KByteSource {
public:
    virtual ~KByteSource() = default;
    virtual bool isOpen() const = 0;
    // Delivers up to `count` bytes into `buffer`; 0 at the end (or when not
    // open).
    virtual std::size_t read(std::uint8_t* buffer, std::size_t count) = 0;
};

// Reads a data block from its start. Open when the block holds data.
class KMemorySource final : public KByteSource {
public:
    // Over the built-in file of that name (empty when there is none).
    explicit KMemorySource(const char* name);
    // Over bytes the caller keeps alive for the source's lifetime.
    KMemorySource(const std::uint8_t* bytes, std::uint64_t length);

    bool isOpen() const override;
    std::size_t read(std::uint8_t* buffer, std::size_t count) override;

private:
    KDataBlock block_;
    std::uint64_t position_ = 0;
};

// Reads a file with plain system reads. Closed until `open` succeeds.
class KFileSource final : public KByteSource {
public:
    KFileSource() = default;
    explicit KFileSource(const char* path) { open(path); }
    ~KFileSource() override { close(); }
    KFileSource(const KFileSource&) = delete;
    KFileSource& operator=(const KFileSource&) = delete;

    // Closes any open file, then opens `path` for reading (it must exist).
    bool open(const char* path);
    void close();
    bool isOpen() const override { return handle_ != kNoHandle; }
    std::size_t read(std::uint8_t* buffer, std::size_t count) override;
    std::uint64_t size() const { return size_; }

private:
    // The platform's handle (a descriptor, a HANDLE); -1 is none on both.
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
    std::uint64_t size_ = 0;
};

}  // namespace kx
