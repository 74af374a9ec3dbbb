#include "controls/value_controls.h"

#include <cmath>

#include "controls/effect_link.h"
#include "graphics/resource.h"

namespace kx {

KValue::KValue(const KControlInit& init, int param, const KFontResource* font)
    : KControl(init), param_(param), font_(font) {}

bool KValue::NeedsDraw(KCanvas& canvas) {
    return KControl::NeedsDraw(canvas) || std::fabs(paramQuantised(effect_, param_) - lastValue_) >= 1e-7 ||
           lastText_ != paramUnitText(effect_, param_);
}

void KValue::Draw(KCanvas& canvas) {
    lastValue_ = paramQuantised(effect_, param_);
    lastText_ = paramUnitText(effect_, param_);
    canvas.drawText(lastText_.c_str(), 0, 0, width_, height_, font_->fontPtr(), kAlignCentre);
}

int KValue::CursorAt(int, int) const { return paramAcceptsText(effect_, param_) ? kCursorText : kCursorDefault; }

bool KValue::LeftDown(bool, bool, int, int) {
    if (paramAcceptsText(effect_, param_) && host_)
        host_->OpenTextEntry(x_, y_, width_, height_, font_, param_);
    return false;  // the press never captures
}

KBgValue::KBgValue(const KControlInit& init, int param, const KImageResource* image, const KFontResource* font)
    : KValue(init, param, font), image_(image) {}

void KBgValue::Draw(KCanvas& canvas) {
    image_->drawFrame(canvas, 0, 0, 0);
    KValue::Draw(canvas);
}

}  // namespace kx
