// The platform seam for text: fonts by description, measuring, drawing into
// canvas pixels, and fonts supplied as bytes. One implementation per platform
// (linux/: FreeType and fontconfig).
//
// Threads: the user-interface thread (drawing), and the thread that parses
// the skin (fonts, installation). No locks: the system never does both at
// once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "graphics/colour.h"

namespace kx {

class KCanvas;
struct KFontDescription;

class PlatformFont;
struct PlatformFontDeleter {
    void operator()(PlatformFont* font) const;
};
using PlatformFontPtr = std::unique_ptr<PlatformFont, PlatformFontDeleter>;

// Null when no face can be had.
PlatformFontPtr createPlatformFont(const KFontDescription& description);

// Whether a face of this family name can be had: installed from bytes, or
// known to the system (generic names such as "sans-serif" count). A font
// that names a face without one is drawn in whatever face the system puts in
// its place. False for an empty name.
bool hasFontFace(const char* faceName);

// What a system text control takes with WM_SETFONT: the system's font
// handle where the platform has such controls, else the font itself (the
// editor's own text control draws with it).
std::uintptr_t platformFontHandle(const PlatformFont* font);

// Advance width of the text in pixels.
int32_t measureText(const PlatformFont& font, const char* text);

// Draws single-line text with its cell vertically centred in the box (canvas
// coordinates, not clip-relative), aligned left (0), centre (1) or right (2),
// blended with the glyph coverage as alpha and cut at the canvas's clip window.
void renderText(KCanvas& canvas, const PlatformFont& font, KColour colour, const char* text, KRect box,
                int32_t alignment);

// Makes a TrueType/OpenType font supplied as bytes usable by its family name
// for the rest of the process; the bytes are copied. False when the data is
// not a font. The name is the skin's name for it.
bool installFontData(const char* name, const uint8_t* data, size_t size);

// Forgets every installed font (library unload).
void removeInstalledFonts();

}  // namespace kx
