// Fonts and text for the skin art: a small cache of fonts by size, colour and
// weight, and the ink width of a text (to leave room for it in a border).
#pragma once

#include <memory>
#include <vector>

#include "art_layout.h"
#include "graphics/canvas.h"
#include "graphics/font.h"

namespace kx::art {

// Headings and the product name are set in a bold face. The bold weight of
// the default family is installed from its file and then named as a face;
// without it they fall back to the regular weight.
bool installBoldFace(const char* path);
inline constexpr const char* kDefaultBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class FontBox {
public:
    const KFont* get(int size, KColour colour, bool bold = false);

private:
    struct Entry {
        int size;
        KColour colour;
        bool bold;
        std::unique_ptr<KFont> font;
    };
    std::vector<Entry> fonts_;
};

// Draws single-line text vertically centred in the box (align 0 left, 1 centre, 2 right).
void drawText(KCanvas& canvas, const char* text, const Box& box, const KFont* font, int align);

// Columns from the box's left edge to the last inked column of left-aligned text, 0 when blank.
int inkWidth(const char* text, int size, bool bold, FontBox& fonts);

}  // namespace kx::art
