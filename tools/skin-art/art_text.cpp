#include "art_text.h"

#include <fstream>
#include <iterator>

#include "graphics/text_renderer.h"
#include "painter.h"

namespace kx::art {

namespace {
// The family name under which the installed bold file registers itself.
constexpr const char* kBoldFace = "DejaVu Sans";
bool boldInstalled = false;
}  // namespace

bool installBoldFace(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    boldInstalled = !bytes.empty() && installFontData("ArtBold", bytes.data(), bytes.size());
    return boldInstalled;
}

const KFont* FontBox::get(int size, KColour colour, bool bold) {
    for (const Entry& e : fonts_)
        if (e.size == size && e.bold == bold && e.colour.r == colour.r && e.colour.g == colour.g &&
            e.colour.b == colour.b)
            return e.font.get();
    auto font = std::make_unique<KFont>(size, colour, bold && boldInstalled ? kBoldFace : nullptr);
    const KFont* result = font.get();
    fonts_.push_back(Entry{size, colour, bold, std::move(font)});
    return result;
}

void drawText(KCanvas& canvas, const char* text, const Box& box, const KFont* font, int align) {
    canvas.drawText(text, box.x, box.y, box.w, box.h, font, align);
}

int inkWidth(const char* text, int size, bool bold, FontBox& fonts) {
    const int w = 400, h = size * 2;
    KCanvas scratch(w, h);
    scratch.fillRect(0, 0, w, h, rgb(0, 0, 0));
    scratch.drawText(text, 0, 0, w, h, fonts.get(size, rgb(255, 255, 255), bold), 0);
    int last = -1;
    const uint32_t* px = scratch.pixels();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((px[y * w + x] & 0xFFFFFFu) != 0 && x > last)
                last = x;
    return last + 1;
}

}  // namespace kx::art
