// Named colours, fonts and images that a skin declares and its controls use.
// The skin owns every resource; controls hold plain references.
#pragma once

#include <memory>

#include "graphics/canvas.h"
#include "graphics/font.h"
#include "graphics/shared_image.h"
#include "params/named_object.h"

namespace kx {

class KResource : public KNamedObjectN<25> {};

class KColourResource : public KResource {
public:
    explicit KColourResource(KColour colour) : colour_(colour) {}
    const char* getClassName() const override { return "KColourResource"; }
    KColour colour() const { return colour_; }

private:
    KColour colour_;
};

class KFontResource : public KResource {
public:
    explicit KFontResource(std::unique_ptr<KFont> font) : font_(std::move(font)) {}
    const char* getClassName() const override { return "KFontResource"; }
    const KFont& font() const { return *font_; }
    const KFont* fontPtr() const { return font_.get(); }

private:
    std::unique_ptr<KFont> font_;
};

// A strip of equal frames, left to right then top to bottom. The bitmap is
// the resource's own (an image file next to the library) or a built-in
// image shared by every skin, decoded when it is first drawn.
class KImageResource : public KResource {
public:
    KImageResource(std::unique_ptr<KImage> bitmap, int frameWidth, int frameHeight, int frameCount);
    KImageResource(const KSharedImage* shared, int frameWidth, int frameHeight, int frameCount);
    const char* getClassName() const override { return "KImageResource"; }

    int frameCount() const { return frameCount_; }
    int frameWidth() const { return frameWidth_; }
    int frameHeight() const { return frameHeight_; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    // The pixels (a shared image is decoded by the first call).
    const KImage& bitmap() const { return shared_ ? shared_->pixels() : *bitmap_; }
    const KSharedImage* shared() const { return shared_; }

    // Draws frame n with its top-left at (x, y) of the clip origin. A frame
    // outside the image (or an image whose cells can't hold its frames)
    // draws nothing.
    void drawFrame(KCanvas& canvas, int frame, int x, int y) const;
    // Draws the part (px, py, pw, ph) of frame n at the clip origin, cut to
    // the frame.
    void drawFramePart(KCanvas& canvas, int frame, int px, int py, int pw, int ph) const;

private:
    bool frameRect(int frame, KRect& out) const;
    bool hasPixels() const;

    std::unique_ptr<KImage> bitmap_;
    const KSharedImage* shared_ = nullptr;  // process-wide, not owned
    int width_;
    int height_;
    int frameWidth_;
    int frameHeight_;
    int frameCount_;
    int rows_;
    int columns_;
};

}  // namespace kx
