// skin-art: draws the default skin's four images with the instrument's own
// canvas and fonts and writes them as PNG files.
//
//   skin-art [--out DIR] [--preview DIR] [--bold-font FILE]
//
// --preview also writes the two pages as the editor would show them (buttons,
// dial dots, read-outs and labels in place) for checking the alignment by eye.

#include <cstdio>
#include <cstring>
#include <string>

#include "art_layout.h"
#include "art_text.h"
#include "kelvox2/host/png_writer.h"
#include "panel_art.h"
#include "preview.h"

namespace {

using namespace kx;
using namespace kx::art;

struct ButtonArt {
    const char* file;
    Box box;
    const char* line1;
    const char* line2;
};

constexpr ButtonArt kButtons[] = {
    {"Kelvox2PartRnd.png", kPartRndButton, "Part Random", nullptr},
    {"Kelvox2FullRnd.png", kFullRndButton, "Full Random", nullptr},
    {"Kelvox2AutoLvl.png", kAutoLvlButton, "Auto", "Level"},
};

// Frames side by side, each a copy of the canvas's clip-window contents.
KImage joinFrames(const KCanvas* const* frames, int count, int w, int h) {
    KImage out;
    out.width = w * count;
    out.height = h;
    out.pixels.resize(size_t(out.width) * size_t(h));
    for (int f = 0; f < count; ++f)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.pixels[size_t(y) * size_t(out.width) + size_t(f * w + x)] =
                    frames[f]->pixels()[size_t(y) * size_t(frames[f]->width()) + size_t(x)];
    return out;
}

bool save(const std::string& dir, const char* name, const KImage& image) {
    const std::string path = dir + "/" + name;
    std::string error;
    if (!writePixelsPng(image.pixels.data(), image.width, image.height, path.c_str(), error,
                        PngAlpha::KeptUnlessOpaque)) {
        std::fprintf(stderr, "skin-art: %s\n", error.c_str());
        return false;
    }
    std::printf("wrote %s (%d x %d)\n", path.c_str(), image.width, image.height);
    return true;
}

// A button is drawn over the panel it sits on, so its image is opaque and
// still blends into the background seamlessly.
KImage renderButton(const KCanvas& page, FontBox& fonts, const ButtonArt& button) {
    const Box& b = button.box;
    KCanvas frames[2] = {KCanvas(b.w, b.h), KCanvas(b.w, b.h)};
    for (int f = 0; f < 2; ++f) {
        for (int y = 0; y < b.h; ++y)
            std::memcpy(frames[f].pixels() + size_t(y) * size_t(b.w),
                        page.pixels() + size_t(b.y + y) * size_t(page.width()) + size_t(b.x),
                        size_t(b.w) * sizeof(uint32_t));
        drawButtonFace(frames[f], fonts, {0, 0, b.w, b.h}, button.line1, button.line2, f == 1);
    }
    const KCanvas* list[2] = {&frames[0], &frames[1]};
    return joinFrames(list, 2, b.w, b.h);
}

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: skin-art [--out DIR] [--preview DIR] [--bold-font FILE]\n"
                 "Draws the default skin's images (Kelvox2.png, Kelvox2PartRnd.png,\n"
                 "Kelvox2FullRnd.png, Kelvox2AutoLvl.png) into DIR (default: %s).\n"
                 "--preview DIR also writes page1.png and page2.png: the pages as the\n"
                 "editor shows them, with buttons, dial dots and texts in place.\n"
                 "--bold-font FILE is the bold weight of the default sans-serif face\n"
                 "for headings (default: %s).\n",
                 KX_SKIN_ART_OUT, kDefaultBoldFont);
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir = KX_SKIN_ART_OUT;
    std::string previewDir;
    std::string boldFont = kDefaultBoldFont;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if (arg == "--out" || arg == "--preview" || arg == "--bold-font") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "skin-art: %s needs a value\n", arg.c_str());
                usage(stderr);
                return 2;
            }
            (arg == "--out" ? outDir : arg == "--preview" ? previewDir : boldFont) = argv[++i];
            continue;
        }
        std::fprintf(stderr, "skin-art: unexpected argument '%s'\n", arg.c_str());
        usage(stderr);
        return 2;
    }

    if (!installBoldFace(boldFont.c_str()))
        std::fprintf(stderr, "skin-art: no bold face from %s; headings use the regular weight\n", boldFont.c_str());
    FontBox fonts;
    KCanvas page1(kFrameW, kFrameH), page2(kFrameW, kFrameH);
    drawInstrumentPage(page1, fonts);
    drawInfoPage(page2, fonts);
    const KCanvas* pages[2] = {&page1, &page2};
    const KImage background = joinFrames(pages, 2, kFrameW, kFrameH);
    if (!save(outDir, "Kelvox2.png", background))
        return 1;

    KImage buttons[3];
    for (int i = 0; i < 3; ++i) {
        buttons[i] = renderButton(page1, fonts, kButtons[i]);
        if (!save(outDir, kButtons[i].file, buttons[i]))
            return 1;
    }

    if (!previewDir.empty()) {
        const ButtonImages images{&buttons[0], &buttons[1], &buttons[2]};
        if (!save(previewDir, "page1.png", previewInstrumentPage(background, images, fonts)))
            return 1;
        if (!save(previewDir, "page2.png", previewInfoPage(background, fonts)))
            return 1;
    }
    return 0;
}
