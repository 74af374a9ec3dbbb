// The footer strip: a 12-pixel black band along the bottom of the editor with
// the product label on the left and a credit on the right, in grey.
#pragma once

#include <cstdint>

namespace kx {

class KCanvas;

inline constexpr int32_t kFooterHeight = 12;
inline constexpr const char* kFooterCreditLong = "Kelvox2 monophonic synthesizer, designed and built by Tamlow";
inline constexpr const char* kFooterCreditShort = "Kelvox2 by Tamlow";

// skinWidth is W, skinHeight the editor's height H (the script's height plus
// the strip). Expects the clip window to be the whole canvas. Threads: UI.
void paintFooterStrip(KCanvas& canvas, int32_t skinWidth, int32_t skinHeight, const char* vendor,
                      const char* product);

}  // namespace kx
