#include "controls/text_peak.h"

#include <cmath>
#include <cstdio>

#include "controls/effect_link.h"
#include "graphics/resource.h"
#include "params/number_text.h"
#include "plugin/display_value.h"

namespace kx {

KTextPeak::KTextPeak(const KControlInit& init, const KDisplayValue* level, int command, const KFontResource* font,
                     const KFontResource* peakFont)
    : KControl(init), level_(level), command_(command), font_(font), peakFont_(peakFont) {}

double KTextPeak::level() const {
    double v = level_ ? level_->real() : 0.0;
    return v >= 1e-6 ? v : 0.0;
}

void KTextPeak::formatPeak(double level, char* out, size_t size, bool& overFullScale) {
    double d = 20 * std::log10(level);
    overFullScale = d > 0;
    char number[16];
    formatValue(number, sizeof number, d, 1);
    std::snprintf(out, size, "Peak: %.15s dB", number);
}

bool KTextPeak::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || std::fabs(level() - lastLevel_) >= 1e-7;
}

void KTextPeak::Draw(KCanvas& canvas) {
    double v = level();
    char text[32];
    bool over = false;
    formatPeak(v, text, sizeof text, over);
    canvas.drawText(text, 0, 0, width_, height_, (over ? peakFont_ : font_)->fontPtr(), kAlignCentre);
    lastLevel_ = v;
}

int KTextPeak::CursorAt(int, int) const { return kCursorHand; }

bool KTextPeak::LeftDown(bool shift, bool ctrl, int, int) {
    if (level_) {
        runEffectCommand(effect_, command_, shift, ctrl);
        Refresh();
    }
    return false;
}

}  // namespace kx
