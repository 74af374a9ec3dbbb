// The footer strip under the skin area: the product's name and the credit.
#pragma once

namespace kx {

class KCanvas;
class KEffect;
class KFont;

// Draws the 12-row strip below a skin of the given width and stored height
// (script height + 12), with the clip window the whole canvas, in the font
// the skin keeps for it (createFooterFont).
void drawFooterStrip(KCanvas& canvas, int width, int height, KEffect* effect, const KFont& font);

}  // namespace kx
