// The tool's PNG writer: 0xAARRGGBB pixels as an 8-bit PNG through libpng,
// encoded in memory and then written whole through OutputFile (a failed
// write leaves an earlier file in place). Used by snapshot, edit's
// screenshots and the skin art generator.
#pragma once

#include "graphics/canvas.h"

#include <cstdint>
#include <string>

namespace kx {

enum class PngAlpha {
    Dropped,           // always RGB
    KeptUnlessOpaque,  // RGBA when any pixel is not opaque, else RGB
};

// Rows top to bottom with stride w. False with a message on failure.
bool writePixelsPng(const uint32_t* pixels, int w, int h, const char* path, std::string& error,
                    PngAlpha alpha = PngAlpha::Dropped);
// A canvas, as RGB.
bool writeCanvasPng(const KCanvas& canvas, const char* path, std::string& error);

}  // namespace kx
