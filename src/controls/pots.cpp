#include "controls/pots.h"

#include <cmath>

#include "graphics/resource.h"

namespace kx {

namespace {

constexpr double kPositionEpsilon = 1e-7;
constexpr double kDotRadius = 2;

void drawHighlight(KCanvas& canvas, int width, int height, const KColourResource* colour) {
    canvas.drawDot(width * 0.5, height * 0.5, (width - 1.0) * 0.5, colour->colour());
}

void drawDotAt(KCanvas& canvas, int width, int height, double distance, double v, const KColourResource* colour) {
    double px, py;
    potAnglePoint(width * 0.5, height * 0.5, distance, v, px, py);
    canvas.drawDot(px, py, kDotRadius, colour->colour());
}

}  // namespace

bool KPositionPot::NeedsDraw(KCanvas& canvas) {
    return KPotBase::NeedsDraw(canvas) || std::fabs(shownValue() - lastPosition_) >= kPositionEpsilon;
}

void KPositionPot::Draw(KCanvas& canvas) {
    double v = shownValue();
    drawPosition(canvas, v);
    lastPosition_ = v;
}

KPotDot::KPotDot(const KControlInit& init, int param, const KColourResource* highlight, double radius,
                 const KColourResource* dot)
    : KPositionPot(init, param), highlight_(highlight), dot_(dot), radius_(radius) {}

void KPotDot::drawPosition(KCanvas& canvas, double v) {
    if (isHeld())
        drawHighlight(canvas, width_, height_, highlight_);
    drawDotAt(canvas, width_, height_, radius_, v, dot_);
}

KBgPotDot::KBgPotDot(const KControlInit& init, int param, const KImageResource* image, double radius,
                     const KColourResource* dot)
    : KPositionPot(init, param), image_(image), dot_(dot), radius_(radius) {}

void KBgPotDot::drawPosition(KCanvas& canvas, double v) {
    image_->drawFrame(canvas, isHeld() && image_->frameCount() > 1 ? 1 : 0, 0, 0);
    drawDotAt(canvas, width_, height_, radius_, v, dot_);
}

KPotLine::KPotLine(const KControlInit& init, int param, const KColourResource* highlight, double length,
                   const KColourResource* line)
    : KPositionPot(init, param), highlight_(highlight), line_(line), length_(length) {}

void KPotLine::drawPosition(KCanvas& canvas, double v) {
    if (isHeld())
        drawHighlight(canvas, width_, height_, highlight_);
    double cx = width_ * 0.5, cy = height_ * 0.5, px, py;
    potAnglePoint(cx, cy, length_, v, px, py);
    canvas.drawLine(cx, cy, px, py, line_->colour());
}

KImgPot::KImgPot(const KControlInit& init, int param, const KImageResource* image) : KPotBase(init, param) {
    view_.image = image;
}

int KImgPot::CurrentFrame() const { return static_cast<int>((view_.frameCount() - 1) * shownValue() + 0.5); }

bool KImgPot::NeedsDraw(KCanvas& canvas) { return KPotBase::NeedsDraw(canvas) || view_.changed(CurrentFrame()); }

void KImgPot::Draw(KCanvas& canvas) { view_.draw(canvas, CurrentFrame()); }

}  // namespace kx
