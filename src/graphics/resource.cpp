#include "graphics/resource.h"

#include <algorithm>

namespace kx {

KImageResource::KImageResource(std::unique_ptr<KImage> bitmap, int frameWidth, int frameHeight, int frameCount)
    : bitmap_(std::move(bitmap)),
      width_(bitmap_ ? bitmap_->width : 0),
      height_(bitmap_ ? bitmap_->height : 0),
      frameWidth_(frameWidth),
      frameHeight_(frameHeight),
      frameCount_(frameCount),
      rows_(frameHeight > 0 ? height_ / frameHeight : 0),
      columns_(frameWidth > 0 ? width_ / frameWidth : 0) {}

KImageResource::KImageResource(const KSharedImage* shared, int frameWidth, int frameHeight, int frameCount)
    : shared_(shared),
      width_(shared ? shared->width() : 0),
      height_(shared ? shared->height() : 0),
      frameWidth_(frameWidth),
      frameHeight_(frameHeight),
      frameCount_(frameCount),
      rows_(frameHeight > 0 ? height_ / frameHeight : 0),
      columns_(frameWidth > 0 ? width_ / frameWidth : 0) {}

bool KImageResource::frameRect(int frame, KRect& out) const {
    if ((!bitmap_ && !shared_) || frameWidth_ <= 0 || frameHeight_ <= 0 || width_ <= 0 || height_ <= 0)
        return false;
    if (static_cast<long long>(columns_) * rows_ < frameCount_)
        return false;
    // Frames beyond the declared count (or the cells) would read outside the bitmap.
    if (frame < 0 || frame >= frameCount_ || frame >= columns_ * rows_)
        return false;
    out = KRect{frameWidth_ * (frame % columns_), frameHeight_ * (frame / columns_), frameWidth_, frameHeight_};
    return true;
}

// A shared image that failed to decode has no pixels for the frames its
// header promised.
bool KImageResource::hasPixels() const {
    const KImage& b = bitmap();
    return b.width == width_ && b.height == height_;
}

void KImageResource::drawFrame(KCanvas& canvas, int frame, int x, int y) const {
    KRect src;
    if (frameRect(frame, src) && hasPixels())
        canvas.blitImage(bitmap(), src, KPoint{x, y});
}

void KImageResource::drawFramePart(KCanvas& canvas, int frame, int px, int py, int pw, int ph) const {
    KRect cell;
    if (!frameRect(frame, cell))
        return;
    int dx = 0, dy = 0;
    if (px < 0) {
        dx = -px;
        pw += px;
        px = 0;
    }
    if (py < 0) {
        dy = -py;
        ph += py;
        py = 0;
    }
    pw = std::min(pw, frameWidth_ - px);
    ph = std::min(ph, frameHeight_ - py);
    if (pw <= 0 || ph <= 0 || !hasPixels())
        return;
    canvas.blitImage(bitmap(), KRect{cell.x + px, cell.y + py, pw, ph}, KPoint{dx, dy});
}

}  // namespace kx
