#include <cstring>

#include "data/byte_source.h"

namespace kx {

KMemorySource::KMemorySource(const char* name) { loadEmbedded(block_, name); }

KMemorySource::KMemorySource(const std::uint8_t* bytes, std::uint64_t length) { block_.setView(bytes, length); }

bool KMemorySource::isOpen() const { return !block_.empty(); }

std::size_t KMemorySource::read(std::uint8_t* buffer, std::size_t count) {
    if (buffer == nullptr || block_.empty() || position_ >= block_.length())
        return 0;
    const std::uint64_t left = block_.length() - position_;
    const std::size_t n = left < count ? static_cast<std::size_t>(left) : count;
    std::memcpy(buffer, block_.bytes() + position_, n);
    position_ += n;
    return n;
}

}  // namespace kx
