// A bounded reader over a byte buffer for the big-endian file formats the tool
// reads (Standard MIDI Files, .fxp/.fxb). Every read checks the remaining length
// first; a failed read consumes nothing, so the caller can report where it stopped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kx {

class ByteReader {
public:
    // base is the file offset of data[0], so positions read as file offsets.
    ByteReader(const uint8_t* data, size_t size, size_t base = 0) : data_(data), size_(size), base_(base) {}

    size_t position() const { return base_ + pos_; }  // file offset of the next byte
    size_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ >= size_; }

    bool peek(uint8_t& v) const {
        if (pos_ >= size_)
            return false;
        v = data_[pos_];
        return true;
    }
    bool u8(uint8_t& v) {
        if (!peek(v))
            return false;
        ++pos_;
        return true;
    }
    bool be16(uint16_t& v) {
        if (remaining() < 2)
            return false;
        v = static_cast<uint16_t>(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return true;
    }
    bool be32(uint32_t& v) {
        if (remaining() < 4)
            return false;
        v = static_cast<uint32_t>(data_[pos_]) << 24 | static_cast<uint32_t>(data_[pos_ + 1]) << 16 |
            static_cast<uint32_t>(data_[pos_ + 2]) << 8 | data_[pos_ + 3];
        pos_ += 4;
        return true;
    }
    bool skip(size_t n) {
        if (remaining() < n)
            return false;
        pos_ += n;
        return true;
    }
    bool bytes(void* out, size_t n) {
        if (remaining() < n)
            return false;
        if (n)
            std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    // A reader over the next n bytes, which this reader then skips.
    bool sub(size_t n, ByteReader& out) {
        if (remaining() < n)
            return false;
        out = ByteReader(data_ + pos_, n, base_ + pos_);
        pos_ += n;
        return true;
    }
    const uint8_t* current() const { return data_ + pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t base_;
    size_t pos_ = 0;
};

// Whole-file read with a size cap; on failure error holds the reason (not the path).
bool readFileCapped(const char* path, size_t maxBytes, std::vector<uint8_t>& out, std::string& error);

}  // namespace kx
