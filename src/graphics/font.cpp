#include "graphics/font.h"

#include <cstring>

namespace kx {

KFontDescription describeFont(int32_t size, const char* faceName) {
    KFontDescription d;
    d.height = size;
    if (faceName) {
        // A named face gets the system's default weight and family.
        std::strncpy(d.faceName, faceName, kFontFaceNameChars);
        d.faceName[kFontFaceNameChars] = '\0';
    } else {
        d.weight = kFontWeightNormal;
        d.pitchAndFamily = kFontFamilySwiss;
    }
    return d;
}

KFont::KFont(int32_t size, KColour colour, const char* faceName)
    : size_(size), colour_(colour), description_(describeFont(size, faceName)) {
    if (faceName) {
        const size_t n = std::strlen(faceName);
        faceName_ = std::make_unique<char[]>(n + 1);
        std::memcpy(faceName_.get(), faceName, n + 1);
    }
}

const PlatformFont* KFont::platformFont() const {
    if (!looked_up_) {
        platform_ = createPlatformFont(description_);
        looked_up_ = true;
    }
    return platform_.get();
}

KFont::~KFont() = default;

}  // namespace kx
