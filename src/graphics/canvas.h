// KCanvas: the editor's off-screen 32-bit picture with its clip window.
//
// Every drawing operation takes coordinates relative to the clip window's
// origin and touches only pixels inside the clip window. All pixel work is
// plain arithmetic on the buffer; text alone goes through the platform's text
// renderer (font.h), which draws into the same pixels.
//
// Threads: the user-interface thread only. Nothing here allocates while
// drawing except snapshot().
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/colour.h"
#include "graphics/image.h"
#include "graphics/pixel_surface.h"

namespace kx {

class KFont;

// Text alignment within a box, as drawText and the text renderer take it.
enum KTextAlign : int32_t { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

class KCanvas {
public:
    // Beyond any real editor (8192 x 8192), and small enough that the
    // buffer's size in bytes never overflows.
    static constexpr int64_t kMaxPixels = int64_t(1) << 26;

    // The pixels are not cleared: the owner paints every pixel right away.
    // A size that is not positive, holds more than kMaxPixels, or whose buffer
    // cannot be allocated gives a canvas of 0 x 0 without pixels, on which
    // every operation draws nothing. Never throws.
    KCanvas(int32_t width, int32_t height);
    bool isEmpty() const { return pixels_ == nullptr; }
    KCanvas(KCanvas&& other) noexcept;
    KCanvas& operator=(KCanvas&& other) noexcept;
    ~KCanvas();

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    uint32_t* pixels() { return pixels_; }
    const uint32_t* pixels() const { return pixels_; }
    // The platform's memory behind the pixels (pixel_surface.h), for the
    // text renderer and the window that shows the canvas; null without pixels.
    PixelSurface* surface() { return surface_.get(); }
    const PixelSurface* surface() const { return surface_.get(); }

    int32_t clipX() const { return clipX_; }
    int32_t clipY() const { return clipY_; }
    int32_t clipW() const { return clipW_; }
    int32_t clipH() const { return clipH_; }

    // The origin is clamped into the canvas and the size cut at its edges; a
    // negative size stays negative, and nothing is drawn then.
    void setClip(int32_t x, int32_t y, int32_t w, int32_t h);
    void resetClip();

    // Opaque fill; the colour's alpha is ignored. A negative x or y is moved
    // to 0 without shortening the rectangle.
    void fillRect(int32_t x, int32_t y, int32_t w, int32_t h, KColour c);
    // Fill blended with the colour's alpha, placed like fillRect.
    void blendRect(int32_t x, int32_t y, int32_t w, int32_t h, KColour c);
    // Pixels from the smaller to the larger end, the larger end excluded.
    void blendVLine(int32_t x, int32_t y1, int32_t y2, KColour c);
    void blendHLine(int32_t x1, int32_t y, int32_t x2, KColour c);

    // Blends the src rectangle of the image at dst with each pixel's own alpha.
    // Null src or dst draws nothing.
    void blitImage(const KImage& image, const KRect* src, const KPoint* dst);
    void blitImage(const KImage& image, const KRect& src, const KPoint& dst) { blitImage(image, &src, &dst); }

    // Copies the top-left w x h of the clip window into the image, opaque,
    // stride w; the image is resized to w x h.
    void copyToImage(int32_t w, int32_t h, KImage& image) const;
    // A new w x h image of the clip window's top-left corner, or null when the
    // size is empty or does not fit the clip window. Allocates.
    std::unique_ptr<KImage> snapshot(int32_t w, int32_t h) const;

    // Anti-aliased filled disc; only the rim band is supersampled (3 x 3).
    void drawDot(double cx, double cy, double r, KColour c);
    // Anti-aliased line of half-width 0.75 with round ends.
    void drawLine(double x1, double y1, double x2, double y2, KColour c);

    // Single-line text vertically centred in the box and aligned in it
    // (alignment 1 centre, 2 right, any other value left); not cut at the box,
    // only at the clip window. Null font or text draws nothing.
    void drawText(const char* text, int32_t x, int32_t y, int32_t w, int32_t h, const KFont* font, int32_t alignment);

private:
    uint32_t& at(int32_t x, int32_t y) { return pixels_[size_t(clipY_ + y) * size_t(width_) + size_t(clipX_ + x)]; }
    void blendSpan(int32_t x, int32_t y, int32_t n, uint32_t r, uint32_t g, uint32_t b, double alpha);

    int32_t width_ = 0;
    int32_t height_ = 0;
    PixelSurfacePtr surface_;
    uint32_t* pixels_ = nullptr;  // the surface's, rows top to bottom, stride width_
    int32_t clipX_ = 0;
    int32_t clipY_ = 0;
    int32_t clipW_ = 0;
    int32_t clipH_ = 0;
};

}  // namespace kx
