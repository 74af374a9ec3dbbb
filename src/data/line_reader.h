#pragma once
// Buffered reading of text lines from a byte source. CR LF, LF and CR all end
// a line, and the run of line ends after a line is skipped, so blank lines
// never come back (only a text that starts with a line end gives one empty
// line first).

#include <array>
#include <cstddef>
#include <cstdint>

#include "data/byte_source.h"

namespace kx {

class KLineReader {
public:
    static constexpr std::size_t kBufferSize = 2048;

    // `source` is not owned and may be null (then there are no lines). The
    // first fill happens here.
    explicit KLineReader(KByteSource* source);
    KLineReader(const KLineReader&) = delete;
    KLineReader& operator=(const KLineReader&) = delete;

    // Clears `buffer` (all `size` bytes) and copies the next line into it,
    // at most size - 2 bytes; the rest of a longer line comes back as the next
    // line. False at the end of the data, or when `size` leaves no room for a
    // character (below 3).
    bool readLine(char* buffer, std::size_t size);
    // Whether the last line read was cut at size - 2 bytes, its rest
    // following as the next line.
    bool lineWasCut() const { return cut_; }

private:
    void fill();
    bool atByte() {
        if (position_ == end_ && !atEnd_)
            fill();
        return position_ < end_;
    }

    KByteSource* source_;
    std::array<std::uint8_t, kBufferSize> buffer_{};
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool cut_ = false;
};

}  // namespace kx
