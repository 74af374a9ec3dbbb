// KFont: a font of the skin (a DefFont resource) with its platform font.
//
// The size is the height of the character cell in pixels (ascent plus
// descent), not the em size. Without a face name the system's sans-serif face
// at normal weight is used; with one, a face of that name (fonts installed
// from embedded data first), at the system's default weight.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/colour.h"
#include "graphics/text_renderer.h"

namespace kx {

inline constexpr int32_t kFontWeightNormal = 400;
inline constexpr uint8_t kFontFamilySwiss = 0x20;
inline constexpr size_t kFontFaceNameChars = 31;

// What a font asks the system for.
struct KFontDescription {
    int32_t height = 0;
    int32_t weight = 0;                          // 0: the system's default
    uint8_t pitchAndFamily = 0;                  // kFontFamilySwiss: a sans-serif face
    char faceName[kFontFaceNameChars + 1] = {};  // empty: the system picks
};

// The description of a font of the given cell height and optional face name
// (at most 31 characters of it are kept).
KFontDescription describeFont(int32_t size, const char* faceName);

class KFont {
public:
    // Threads: where the skin is parsed. The system's font is looked up when
    // text is first drawn with it (the editor's thread), so that an instance
    // whose editor never opens asks the system for nothing. A font the
    // system cannot make leaves no platform font; text drawn with it draws
    // nothing.
    KFont(int32_t size, KColour colour = KColour{}, const char* faceName = nullptr);
    ~KFont();
    KFont(const KFont&) = delete;
    KFont& operator=(const KFont&) = delete;

    int32_t size() const { return size_; }
    KColour colour() const { return colour_; }  // only r, g, b are used
    void setColour(KColour c) { colour_ = c; }
    // Null when the skin named no face.
    const char* faceName() const { return faceName_ ? faceName_.get() : nullptr; }
    const KFontDescription& description() const { return description_; }
    // Null when the system could not make the font. The first call makes it.
    const PlatformFont* platformFont() const;

private:
    int32_t size_;
    KColour colour_;
    std::unique_ptr<char[]> faceName_;
    KFontDescription description_;
    mutable PlatformFontPtr platform_;
    mutable bool looked_up_ = false;
};

}  // namespace kx
