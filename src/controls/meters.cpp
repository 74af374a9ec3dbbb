#include "controls/meters.h"

#include <strings.h>
#include <cmath>

#include "controls/effect_link.h"
#include "graphics/resource.h"
#include "plugin/display_value.h"

namespace kx {

KBarDirection barDirectionFromWord(const char* word) {
    if (!word)
        return KBarDirection::None;
    if (!strcasecmp(word, "LeftToRight"))
        return KBarDirection::LeftToRight;
    if (!strcasecmp(word, "RightToLeft"))
        return KBarDirection::RightToLeft;
    if (!strcasecmp(word, "TopToBottom"))
        return KBarDirection::TopToBottom;
    if (!strcasecmp(word, "BottomToTop"))
        return KBarDirection::BottomToTop;
    return KBarDirection::None;
}

int clampFrame(double value, int last) {
    if (!(value > 0) || last <= 0)
        return 0;
    if (value >= last)
        return last;
    return static_cast<int>(value);
}

double KBarFracMeter::fraction() const {
    double f = value_ ? value_->real() : 0.0;
    if (!(f > 0))
        return 0;
    return f > 1 ? 1 : f;
}

bool KBarFracMeter::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || fraction() != lastFraction_; }

void KBarFracMeter::Draw(KCanvas& canvas) {
    double f = fraction();
    int lx = static_cast<int>(width_ * f + 0.5), ly = static_cast<int>(height_ * f + 0.5);
    KColour c = colour_->colour();
    switch (direction_) {
    case KBarDirection::LeftToRight: canvas.blendRect(0, 0, lx, height_, c); break;
    case KBarDirection::RightToLeft: canvas.blendRect(width_ - lx, 0, lx, height_, c); break;
    case KBarDirection::TopToBottom: canvas.blendRect(0, 0, width_, ly, c); break;
    case KBarDirection::BottomToTop: canvas.blendRect(0, height_ - ly, width_, ly, c); break;
    case KBarDirection::None: break;
    }
    lastFraction_ = f;
}

int KImgFracMeter::CurrentFrame() const {
    int last = view_.frameCount() - 1;
    return clampFrame(last * (value_ ? value_->real() : 0.0), last);
}

int KImgMeter::CurrentFrame() const {
    double v = value_ ? value_->integer() : 0;
    return clampFrame(std::floor(v * scale_ + offset_ + 0.5), view_.frameCount() - 1);
}

int KImgPeak::CurrentFrame() const { return value_ && value_->real() >= 1 ? 1 : 0; }

int KImgPeak::CursorAt(int, int) const { return kCursorHand; }

bool KImgPeak::LeftDown(bool shift, bool ctrl, int, int) {
    runEffectCommand(effect_, command_, shift, ctrl);
    Refresh();
    return false;
}

}  // namespace kx
