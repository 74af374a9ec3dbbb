#include "graphics/text_renderer.h"

namespace kx {

// Placeholder until the FreeType renderer lands: no fonts, no text.
class PlatformFont {};

void PlatformFontDeleter::operator()(PlatformFont* font) const { delete font; }

PlatformFontPtr createPlatformFont(const KFontDescription&) { return nullptr; }

int32_t measureText(const PlatformFont&, const char*) { return 0; }

void renderText(KCanvas&, const PlatformFont&, KColour, const char*, KRect, int32_t) {}

bool installFontData(const char*, const uint8_t*, size_t) { return false; }

void removeInstalledFonts() {}

}  // namespace kx
