#include "controls/wave_display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/resource.h"
#include "params/number_text.h"
#include "plugin/display_value.h"

namespace kx {

namespace {

// Nearest integer, halves away from zero, kept within +-limit so that wild
// data never overflows the conversion.
int nearestClamped(double v, int limit) {
    if (std::isnan(v))
        return 0;
    double r = std::round(v);
    if (r > limit)
        return limit;
    if (r < -limit)
        return -limit;
    return static_cast<int>(r);
}

double markerLevel(const KDisplayValue* v) { return v ? v->real() : 0.0; }

}  // namespace

KWave::KWave(const KControlInit& init, const KWaveLook& look) : KControl(init), look_(look) {}

bool KWave::waveChanged(double threshold) const {
    const KHistory* h = look_.history ? look_.history->history() : nullptr;
    return std::fabs(markerLevel(look_.marker1) - lastMarker1_) >= threshold ||
           std::fabs(markerLevel(look_.marker2) - lastMarker2_) >= threshold ||
           (h && h->changeCounter != lastChangeCounter_);
}

bool KWave::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || waveChanged(1e-7); }

void KWave::drawWave(KCanvas& canvas, int areaHeight, double zoom) {
    // A zoom display lower than its bar has no wave area to draw in.
    if (areaHeight <= 0)
        return;
    int middle = areaHeight / 2;
    int scale = middle - 1;
    const KHistory* h = look_.history ? look_.history->history() : nullptr;
    auto rowOf = [&](double d) {
        int y = middle - nearestClamped(scale * d * zoom, areaHeight + 1);
        return std::clamp(y, 0, std::max(areaHeight, 0));
    };
    // The arrays bound the slots read, whatever the capacity field says.
    int cap = h ? static_cast<int>(std::min({static_cast<size_t>(std::max(h->capacity, 0)), h->outerLow.size(),
                                             h->outerHigh.size(), h->innerLow.size(), h->innerHigh.size()}))
                : 0;
    if (cap > 0) {
        int columns = std::min(cap, width_);
        for (int i = 0; i < columns; ++i) {
            // The modulo keeps a write position out of range inside the arrays.
            int slot = ((h->writePosition - 1 - i) % cap + cap) % cap;
            int x = width_ - 1 - i;
            canvas.blendVLine(x, rowOf(h->outerLow[slot]), rowOf(h->outerHigh[slot]), look_.outer->colour());
            canvas.blendVLine(x, rowOf(h->innerLow[slot]), rowOf(h->innerHigh[slot]), look_.inner->colour());
        }
        lastChangeCounter_ = h->changeCounter;
    }
    KColour line = look_.line->colour();
    canvas.blendHLine(0, middle, width_, line);
    for (const KDisplayValue* marker : {look_.marker1, look_.marker2}) {
        if (!marker)
            continue;
        double v = marker->real();
        if (v >= 0 && v <= 1) {
            // Zoomed, a marker may lie beyond the area: it rests on the edge
            // row rather than above the control or on the zoom bar.
            int off = nearestClamped(v * scale * zoom, areaHeight + 1);
            canvas.blendHLine(0, std::clamp(middle - off, 0, areaHeight - 1), width_, line);
            canvas.blendHLine(0, std::clamp(middle + off, 0, areaHeight - 1), width_, line);
        }
    }
    lastMarker1_ = markerLevel(look_.marker1);
    lastMarker2_ = markerLevel(look_.marker2);
}

void KWave::Draw(KCanvas& canvas) { drawWave(canvas, height_, 1.0); }

KZoomWave::KZoomWave(const KControlInit& init, const KWaveLook& look, const KColourResource* bar,
                     const KColourResource* handle, const KColourResource* dragging, const KFontResource* font)
    : KWave(init, look), bar_(bar), handle_(handle), dragging_(dragging), font_(font), travel_(width_ - 41) {
    setZoom(1);
}

void KZoomWave::setZoom(float z) {
    zoom_ = z;
    if (travel_ > 0)
        handleX_ = 1 + nearestClamped(std::log2(10.0 * z) * travel_ / std::log2(100.0), 1 << 30);
    char number[sizeof zoomText_];
    formatValue(number, sizeof number, static_cast<double>(z), 2);
    std::snprintf(zoomText_, sizeof zoomText_, "%.6sx", number);
}

void KZoomWave::zoomFromX(int x) {
    // No travel (a control narrower than its handle) leaves no scale.
    if (travel_ <= 0)
        return;
    double z = 0.1 * std::pow(100.0, (static_cast<double>(x) - 20) / travel_);
    setZoom(static_cast<float>(std::clamp(z, 0.1, 10.0)));
}

bool KZoomWave::onBar(int x, int y) const { return x >= 0 && x < width_ && y >= height_ - kBarHeight && y < height_; }

bool KZoomWave::NeedsDraw(KCanvas& canvas) { return KControl::NeedsDraw(canvas) || waveChanged(0.001); }

void KZoomWave::Draw(KCanvas& canvas) {
    drawWave(canvas, height_ - kBarHeight, zoom_);
    canvas.blendRect(0, height_ - kBarHeight, width_, kBarHeight, bar_->colour());
    const KColourResource* handle = mode_ != DragMode::Idle ? dragging_ : handle_;
    canvas.blendRect(handleX_, height_ - 15, kHandleWidth, 14, handle->colour());
    canvas.drawText(zoomText_, handleX_, height_ - 15, kHandleWidth, 14, font_->fontPtr(), kAlignCentre);
}

int KZoomWave::CursorAt(int x, int y) const {
    return mode_ != DragMode::Idle || onBar(x, y) ? kCursorHand : kCursorDefault;
}

bool KZoomWave::LeftDown(bool, bool ctrl, int x, int y) {
    if (!onBar(x, y))
        return false;
    if (ctrl) {
        setZoom(1);
        mode_ = DragMode::PressedForReset;
    } else {
        zoomFromX(x);
        mode_ = DragMode::Dragging;
    }
    host_->RequestRepaint();
    dirty_ = true;
    return true;
}

void KZoomWave::MouseMove(bool, int x, int) {
    if (mode_ != DragMode::Dragging)
        return;
    zoomFromX(x);
    host_->RequestRepaint();
    dirty_ = true;
}

bool KZoomWave::LeftUp(bool, bool, int, int) {
    if (mode_ == DragMode::Idle)
        return false;
    mode_ = DragMode::Idle;
    host_->RequestRepaint();
    dirty_ = true;
    return true;
}

void KZoomWave::CancelCapture() { LeftUp(false, false, 0, 0); }

}  // namespace kx
