#include "graphics/shared_image.h"

#include <memory>
#include <vector>

#include "graphics/png_decoder.h"

namespace kx {

namespace {

// Process-wide: skins are parsed on whichever thread creates an instance.
struct Registry {
    std::mutex lock;
    std::vector<std::unique_ptr<KSharedImage>> images;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

const KSharedImage* KSharedImage::forBuiltIn(const uint8_t* bytes, size_t length) {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    for (const auto& image : r.images)
        if (image->bytes_ == bytes && image->length_ == length)
            return image.get();
    int32_t width = 0, height = 0;
    if (readPngSize(bytes, length, width, height) != PngError::none)
        return nullptr;
    r.images.push_back(std::make_unique<KSharedImage>(bytes, length, width, height));
    return r.images.back().get();
}

const KImage& KSharedImage::pixels() const {
    std::call_once(once_, [this] {
        if (std::unique_ptr<KImage> decoded = decodePng(bytes_, length_))
            image_ = std::move(*decoded);
        decoded_.store(true, std::memory_order_release);
    });
    return image_;
}

}  // namespace kx
