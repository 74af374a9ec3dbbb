// The footer strip: a 12-pixel black band along the bottom of the editor with
// the product label on the left and a credit on the right, in grey.
#pragma once

#include <cstdint>
#include <memory>

namespace kx {

class KCanvas;
class KFont;

inline constexpr int32_t kFooterHeight = 12;
inline constexpr const char* kFooterCreditLong = "Kelvox2 monophonic synthesizer, designed and built by Tamlow";
inline constexpr const char* kFooterCreditShort = "Kelvox2 by Tamlow";

// skinWidth is W, skinHeight the editor's height H (the script's height plus
// the strip). Expects the clip window to be the whole canvas. Threads: UI.
void paintFooterStrip(KCanvas& canvas, int32_t skinWidth, int32_t skinHeight, const char* vendor, const char* product);

// The strip's font: height 12, normal weight, the system's sans-serif face.
std::unique_ptr<KFont> createFooterFont();

// The same strip in a font from createFooterFont that the caller keeps
// between paints, so that a repaint neither finds nor renders the face anew.
void paintFooterStrip(KCanvas& canvas, int32_t skinWidth, int32_t skinHeight, const char* vendor, const char* product,
                      const KFont& font);

}  // namespace kx
