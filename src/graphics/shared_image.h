// KSharedImage: a built-in PNG decoded at most once per process, when it is
// first drawn, and shared read-only by every skin that names it. A skin
// learns the image's size from the file's header, so an instance whose
// editor never opens decodes nothing, and every further instance costs no
// pixels at all.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "graphics/image.h"

namespace kx {

class KSharedImage {
public:
    // The image of built-in bytes, which must live as long as the process
    // (one per distinct bytes); null when the header is not one the decoder
    // accepts. Any thread.
    static const KSharedImage* forBuiltIn(const uint8_t* bytes, size_t length);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    // The pixels, decoded by the first call (any thread; a concurrent call
    // waits for it). Built-in files that pass the header checks all decode
    // (a test holds every one to that); one that did not would stay empty
    // and draw nothing.
    const KImage& pixels() const;
    bool isDecoded() const { return decoded_.load(std::memory_order_acquire); }

    KSharedImage(const uint8_t* bytes, size_t length, int32_t width, int32_t height)
        : bytes_(bytes), length_(length), width_(width), height_(height) {}
    KSharedImage(const KSharedImage&) = delete;
    KSharedImage& operator=(const KSharedImage&) = delete;

private:
    const uint8_t* bytes_;
    size_t length_;
    int32_t width_;
    int32_t height_;
    mutable std::once_flag once_;
    mutable KImage image_;
    mutable std::atomic<bool> decoded_{false};
};

}  // namespace kx
