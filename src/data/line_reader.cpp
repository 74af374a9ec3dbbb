#include "data/line_reader.h"

#include <cstring>

namespace kx {
namespace {

bool isLineEnd(std::uint8_t c) { return c == '\n' || c == '\r'; }

}  // namespace

KLineReader::KLineReader(KByteSource* source) : source_(source) { fill(); }

void KLineReader::fill() {
    position_ = 0;
    end_ = 0;
    if (source_ == nullptr || !source_->isOpen()) {
        atEnd_ = true;
        return;
    }
    std::size_t n = source_->read(buffer_.data(), buffer_.size());
    if (n > buffer_.size())
        n = buffer_.size();  // a source must not claim more than it had room for
    end_ = n;
    atEnd_ = n == 0;
}

bool KLineReader::readLine(char* buffer, std::size_t size) {
    cut_ = false;
    if (atEnd_ || buffer == nullptr || size < 3)
        return false;
    std::memset(buffer, 0, size);

    const std::size_t limit = size - 2;
    std::size_t copied = 0;
    while (copied < limit && atByte() && !isLineEnd(buffer_[position_])) {
        buffer[copied++] = static_cast<char>(buffer_[position_++]);
    }
    cut_ = copied == limit && atByte() && !isLineEnd(buffer_[position_]);
    while (atByte() && isLineEnd(buffer_[position_]))
        ++position_;
    // Refill now, so that the next call knows whether any data is left.
    atByte();
    return true;
}

}  // namespace kx
