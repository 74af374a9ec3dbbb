#include "graphics/canvas.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "graphics/blend.h"

namespace kx {

namespace {

// The supersampling grid of the anti-aliased rims: 3 x 3 samples a third of
// a pixel apart, each worth a ninth of the pixel.
constexpr double kSampleStep = 0.3333333333333333;
constexpr double kSampleWeight = 0.1111111111111111;
constexpr double kHalfDiagonal = 0.7071067811865476;  // sqrt(1/2)

// Line of half-width 0.75: squared limits of the full-coverage core, of the
// rim band, and of a sample's distance.
constexpr double kLineCore = 0.0018398282201787092;  // (0.75 - sqrt(1/2))^2
constexpr double kLineOuter = 2.123160171779821;     // (0.75 + sqrt(1/2))^2
constexpr double kLineHalfWidth2 = 0.5625;           // 0.75^2

// Coverage of k inside samples, accumulated as k additions of one weight so
// that it equals the running sum bit for bit.
struct CoverageTable {
    double value[10];
    constexpr CoverageTable() : value{} {
        double sum = 0.0;
        for (int k = 0; k < 10; ++k) {
            value[k] = sum;
            sum += kSampleWeight;
        }
    }
};
constexpr CoverageTable kCoverage;

// Coverage of a rim pixel: the share of the 3 x 3 samples around (x, y)
// that lie inside the shape.
template <class Inside>
inline double rimCoverage(double x, double y, Inside inside) {
    int count = 0;
    for (int j = -1; j <= 1; ++j) {
        const double sy = y + j * kSampleStep;
        for (int i = -1; i <= 1; ++i)
            count += inside(x + i * kSampleStep, sy);
    }
    return kCoverage.value[count];
}

// Row or column range [lo, hi) of an anti-aliased shape, from its unclamped
// extent in doubles; false when nothing of it lies in 0..limit.
bool spanOf(double from, double to, int32_t limit, int32_t& lo, int32_t& hi) {
    const double a = std::max(0.0, std::trunc(from));
    const double b = std::min(double(limit), std::trunc(to));
    if (!(a < b))
        return false;
    lo = int32_t(a);
    hi = int32_t(b);
    return true;
}

// Squared distance from P to the segment P1-P2 whose squared length is L > 0.
inline double segmentDistance2(double px, double py, double x1, double y1, double x2, double y2, double L) {
    const double d1 = (px - x1) * (px - x1) + (py - y1) * (py - y1);
    const double d2 = (px - x2) * (px - x2) + (py - y2) * (py - y2);
    const double t = (d1 - d2 + L) / (2.0 * L);
    if (t <= 0.0)
        return d1;
    if (t >= 1.0)
        return d2;
    const double d = d1 - t * t * L;
    return d <= 0.0 ? 0.0 : d;
}

// The pixels a fill covers: a negative origin is moved to 0 without
// shortening the rectangle, then the size is cut at the clip window. Empty
// (cols or rows 0) when nothing is covered.
struct Area {
    int32_t x, y, cols, rows;
};

Area fillArea(int32_t x, int32_t y, int32_t w, int32_t h, int32_t clipW, int32_t clipH) {
    const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int64_t cols = std::min<int64_t>(w, int64_t(clipW) - x0);
    const int64_t rows = std::min<int64_t>(h, int64_t(clipH) - y0);
    if (cols <= 0 || rows <= 0)
        return {0, 0, 0, 0};
    return {x0, y0, int32_t(cols), int32_t(rows)};
}

// A span that starts below 0 on one side starts at 0 instead; the paired
// start on the other side moves along and the span gets shorter.
inline void trimNegativeStart(int64_t& start, int64_t& paired, int64_t& length) {
    if (start < 0) {
        paired -= start;
        length += start;
        start = 0;
    }
}

}  // namespace

KCanvas::KCanvas(int32_t width, int32_t height) {
    // Both sides below 2^31, so the product cannot overflow 64 bits. Without
    // a surface the canvas has no pixels: the editor shows nothing.
    if (width > 0 && height > 0 && int64_t(width) * int64_t(height) <= kMaxPixels) {
        try {
            surface_ = createPixelSurface(width, height);
        } catch (const std::exception&) {
            surface_.reset();
        }
    }
    if (surface_) {
        pixels_ = surfacePixels(*surface_);
        width_ = width;
        height_ = height;
    }
    resetClip();
}

KCanvas::KCanvas(KCanvas&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      surface_(std::move(other.surface_)),
      pixels_(std::exchange(other.pixels_, nullptr)),
      clipX_(std::exchange(other.clipX_, 0)),
      clipY_(std::exchange(other.clipY_, 0)),
      clipW_(std::exchange(other.clipW_, 0)),
      clipH_(std::exchange(other.clipH_, 0)) {}

KCanvas& KCanvas::operator=(KCanvas&& other) noexcept {
    if (this != &other) {
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        surface_ = std::move(other.surface_);
        pixels_ = std::exchange(other.pixels_, nullptr);
        clipX_ = std::exchange(other.clipX_, 0);
        clipY_ = std::exchange(other.clipY_, 0);
        clipW_ = std::exchange(other.clipW_, 0);
        clipH_ = std::exchange(other.clipH_, 0);
    }
    return *this;
}

KCanvas::~KCanvas() = default;

void KCanvas::setClip(int32_t x, int32_t y, int32_t w, int32_t h) {
    x = std::clamp(x, 0, width_);
    y = std::clamp(y, 0, height_);
    if (w > width_ - x)
        w = width_ - x;
    if (h > height_ - y)
        h = height_ - y;
    clipX_ = x;
    clipY_ = y;
    clipW_ = w;
    clipH_ = h;
    if (surface_)
        setSurfaceClip(*surface_, x, y, w, h);
}

void KCanvas::resetClip() {
    clipX_ = 0;
    clipY_ = 0;
    clipW_ = width_;
    clipH_ = height_;
    if (surface_)
        resetSurfaceClip(*surface_);
}

void KCanvas::fillRect(int32_t x, int32_t y, int32_t w, int32_t h, KColour c) {
    const Area a = fillArea(x, y, w, h, clipW_, clipH_);
    const uint32_t p = packPixel(c.r, c.g, c.b);
    for (int32_t row = 0; row < a.rows; ++row) {
        uint32_t* line = &at(a.x, a.y + row);
        std::fill(line, line + a.cols, p);
    }
}

void KCanvas::blendSpan(int32_t x, int32_t y, int32_t n, uint32_t r, uint32_t g, uint32_t b, double alpha) {
    uint32_t* line = &at(x, y);
    for (int32_t i = 0; i < n; ++i)
        line[i] = blendPixel(line[i], r, g, b, alpha);
}

void KCanvas::blendRect(int32_t x, int32_t y, int32_t w, int32_t h, KColour c) {
    const Area a = fillArea(x, y, w, h, clipW_, clipH_);
    const double alpha = c.a * kInv255;
    for (int32_t row = 0; row < a.rows; ++row)
        blendSpan(a.x, a.y + row, a.cols, c.r, c.g, c.b, alpha);
}

void KCanvas::blendVLine(int32_t x, int32_t y1, int32_t y2, KColour c) {
    if (x < 0 || x >= clipW_)
        return;
    const int32_t a = std::clamp(y1, 0, std::max(clipH_, 0));
    const int32_t b = std::clamp(y2, 0, std::max(clipH_, 0));
    const double alpha = c.a * kInv255;
    for (int32_t y = std::min(a, b); y < std::max(a, b); ++y) {
        uint32_t& p = at(x, y);
        p = blendPixel(p, c.r, c.g, c.b, alpha);
    }
}

void KCanvas::blendHLine(int32_t x1, int32_t y, int32_t x2, KColour c) {
    if (y < 0 || y >= clipH_)
        return;
    const int32_t a = std::clamp(x1, 0, std::max(clipW_, 0));
    const int32_t b = std::clamp(x2, 0, std::max(clipW_, 0));
    if (a != b)
        blendSpan(std::min(a, b), y, std::abs(a - b), c.r, c.g, c.b, c.a * kInv255);
}

void KCanvas::blitImage(const KImage& image, const KRect* src, const KPoint* dst) {
    if (!src || !dst)
        return;
    int64_t sx = src->x, sy = src->y, sw = src->w, sh = src->h;
    int64_t dx = dst->x, dy = dst->y;
    trimNegativeStart(dx, sx, sw);
    trimNegativeStart(dy, sy, sh);
    // A source rectangle reaching outside the image is cut to it rather than
    // read out of bounds; the part outside draws nothing.
    trimNegativeStart(sx, dx, sw);
    trimNegativeStart(sy, dy, sh);
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() < size_t(image.width) * size_t(image.height))
        return;
    const int64_t cols = std::min({sw, int64_t(clipW_) - dx, int64_t(image.width) - sx});
    const int64_t rows = std::min({sh, int64_t(clipH_) - dy, int64_t(image.height) - sy});
    if (cols <= 0 || rows <= 0)
        return;
    for (int64_t row = 0; row < rows; ++row) {
        const uint32_t* from = &image.pixels[size_t(sy + row) * size_t(image.width) + size_t(sx)];
        uint32_t* to = &at(int32_t(dx), int32_t(dy + row));
        for (int64_t col = 0; col < cols; ++col) {
            const uint32_t p = from[col];
            // Skin images are mostly opaque or fully transparent; for those
            // the blend gives the source or the destination made opaque.
            const uint32_t alpha = p >> 24;
            if (alpha == 0xFFu)
                to[col] = p;
            else if (alpha == 0)
                to[col] |= 0xFF000000u;
            else
                to[col] = blendPixel(to[col], (p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu, alpha * kInv255);
        }
    }
}

void KCanvas::copyToImage(int32_t w, int32_t h, KImage& image) const {
    w = std::max(w, 0);
    h = std::max(h, 0);
    const size_t count = size_t(w) * size_t(h);
    if (image.pixels.size() != count)
        image.pixels.assign(count, 0xFF000000u);
    image.width = w;
    image.height = h;
    // Only what lies inside the clip window is read.
    const int32_t cols = std::min(w, std::max(clipW_, 0));
    const int32_t rows = std::min(h, std::max(clipH_, 0));
    for (int32_t row = 0; row < rows; ++row) {
        const uint32_t* from = &pixels_[size_t(clipY_ + row) * size_t(width_) + size_t(clipX_)];
        uint32_t* to = &image.pixels[size_t(row) * size_t(w)];
        for (int32_t col = 0; col < cols; ++col)
            to[col] = from[col] | 0xFF000000u;
    }
}

std::unique_ptr<KImage> KCanvas::snapshot(int32_t w, int32_t h) const {
    if (w > clipW_ || h > clipH_ || w <= 0 || h <= 0)
        return nullptr;
    auto image = std::make_unique<KImage>();
    copyToImage(w, h, *image);
    return image;
}

void KCanvas::drawDot(double cx, double cy, double r, KColour c) {
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r))
        return;
    int32_t row0, row1, col0, col1;
    if (!spanOf(cy - r, cy + r + 1, clipH_, row0, row1) || !spanOf(cx - r, cx + r + 1, clipW_, col0, col1))
        return;
    const double inner = (r - kHalfDiagonal) * (r - kHalfDiagonal);
    const double outer = (r + kHalfDiagonal) * (r + kHalfDiagonal);
    const double r2 = r * r;
    const double alpha = c.a * kInv255;
    for (int32_t row = row0; row < row1; ++row) {
        const double dy = row + 0.5 - cy;
        uint32_t* line = &at(0, row);
        for (int32_t col = col0; col < col1; ++col) {
            const double dx = col + 0.5 - cx;
            const double D = dx * dx + dy * dy;
            if (D < inner) {
                line[col] = blendPixel(line[col], c.r, c.g, c.b, alpha);
            } else if (D < outer) {
                const double coverage =
                    rimCoverage(dx, dy, [r2](double sx, double sy) { return sx * sx + sy * sy <= r2; });
                line[col] = blendPixel(line[col], c.r, c.g, c.b, alpha * coverage);
            }
        }
    }
}

void KCanvas::drawLine(double x1, double y1, double x2, double y2, KColour c) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return;
    const double L = (x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2);
    if (L == 0.0) {
        drawDot(x1, y1, 0.75, c);
        return;
    }
    int32_t row0, row1, col0, col1;
    if (!spanOf(std::min(y1, y2) - 0.75, std::max(y1, y2) + 0.75 + 1, clipH_, row0, row1) ||
        !spanOf(std::min(x1, x2) - 0.75, std::max(x1, x2) + 0.75 + 1, clipW_, col0, col1))
        return;
    const double alpha = c.a * kInv255;
    for (int32_t row = row0; row < row1; ++row) {
        const double py = row + 0.5;
        uint32_t* line = &at(0, row);
        for (int32_t col = col0; col < col1; ++col) {
            const double px = col + 0.5;
            const double D = segmentDistance2(px, py, x1, y1, x2, y2, L);
            if (D <= kLineCore) {
                line[col] = blendPixel(line[col], c.r, c.g, c.b, alpha);
            } else if (D < kLineOuter) {
                const double coverage = rimCoverage(px, py, [&](double sx, double sy) {
                    return segmentDistance2(sx, sy, x1, y1, x2, y2, L) <= kLineHalfWidth2;
                });
                line[col] = blendPixel(line[col], c.r, c.g, c.b, alpha * coverage);
            }
        }
    }
}

}  // namespace kx
