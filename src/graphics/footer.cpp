#include "graphics/footer.h"

#include <algorithm>
#include <cstdio>

#include "graphics/canvas.h"
#include "graphics/font.h"

namespace kx {

namespace {

constexpr size_t kLabelChars = 127;
constexpr KColour kFooterText{127, 127, 127, 255};

int32_t widthOf(const KFont& font, const char* text) {
    return font.platformFont() ? std::max(measureText(*font.platformFont(), text), 0) : 0;
}

}  // namespace

std::unique_ptr<KFont> createFooterFont() {
    return std::make_unique<KFont>(kFooterHeight, kFooterText);  // no face: sans-serif, normal weight
}

void paintFooterStrip(KCanvas& canvas, int32_t skinWidth, int32_t skinHeight, const char* vendor, const char* product) {
    paintFooterStrip(canvas, skinWidth, skinHeight, vendor, product, *createFooterFont());
}

void paintFooterStrip(KCanvas& canvas, int32_t skinWidth, int32_t skinHeight, const char* vendor, const char* product,
                      const KFont& font) {
    const int32_t top = skinHeight - kFooterHeight;
    canvas.fillRect(0, top, skinWidth, kFooterHeight, KColour{0, 0, 0, 255});

    char label[kLabelChars + 1];
    std::snprintf(label, sizeof label, "%s %s", vendor ? vendor : "", product ? product : "");
    const int64_t labelWidth = widthOf(font, label);
    const int32_t longWidth = widthOf(font, kFooterCreditLong);
    const int32_t shortWidth = widthOf(font, kFooterCreditShort);

    const int32_t available = skinWidth - 4;
    if (labelWidth + longWidth < available)
        canvas.drawText(label, 2, top, available, kFooterHeight, &font, kAlignLeft);
    if (longWidth < available)
        canvas.drawText(kFooterCreditLong, 2, top, available, kFooterHeight, &font, kAlignRight);
    else if (shortWidth < available)
        canvas.drawText(kFooterCreditShort, 2, top, available, kFooterHeight, &font, kAlignRight);
}

}  // namespace kx
