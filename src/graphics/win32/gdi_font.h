#pragma once
// A GDI font made from a font description, shared by the text renderer and
// its tests.

#include <windows.h>

#include "graphics/text_renderer.h"

namespace kx {

class PlatformFont {
public:
    explicit PlatformFont(HFONT font) : font_(font) {}
    ~PlatformFont() { DeleteObject(font_); }
    PlatformFont(const PlatformFont&) = delete;
    PlatformFont& operator=(const PlatformFont&) = delete;

    HFONT handle() const { return font_; }

private:
    HFONT font_;
};

}  // namespace kx
