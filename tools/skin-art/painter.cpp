#include "painter.h"

#include <algorithm>
#include <cmath>

namespace kx::art {

KColour rgb(int r, int g, int b, int a) { return KColour{uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)}; }

KColour mix(KColour from, KColour to, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto ch = [t](uint8_t a, uint8_t b) { return uint8_t(std::lround(a + (b - a) * t)); };
    return KColour{ch(from.r, to.r), ch(from.g, to.g), ch(from.b, to.b), ch(from.a, to.a)};
}

KColour withAlpha(KColour c, int a) {
    c.a = uint8_t(a);
    return c;
}

Shape circle(double cx, double cy, double r) {
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape roundRect(double x, double y, double w, double h, double r) {
    const double hx = w * 0.5, hy = h * 0.5, mx = x + hx, my = y + hy;
    return [=](double px, double py) {
        const double qx = std::abs(px - mx) - (hx - r);
        const double qy = std::abs(py - my) - (hy - r);
        return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - r;
    };
}

Shape outline(Shape shape, double halfWidth) {
    return [=](double x, double y) { return std::abs(shape(x, y)) - halfWidth; };
}

Shape segment(double x1, double y1, double x2, double y2, double halfWidth) {
    const double dx = x2 - x1, dy = y2 - y1, len2 = dx * dx + dy * dy;
    return [=](double x, double y) {
        const double t = len2 > 0 ? std::clamp(((x - x1) * dx + (y - y1) * dy) / len2, 0.0, 1.0) : 0.0;
        return std::hypot(x - (x1 + t * dx), y - (y1 + t * dy)) - halfWidth;
    };
}

Shape polyline(std::vector<double> points, double halfWidth) {
    std::vector<Shape> parts;
    for (size_t i = 0; i + 3 < points.size(); i += 2)
        parts.push_back(segment(points[i], points[i + 1], points[i + 2], points[i + 3], halfWidth));
    return [parts = std::move(parts)](double x, double y) {
        double d = 1e9;
        for (const Shape& s : parts)
            d = std::min(d, s(x, y));
        return d;
    };
}

Shape cutOut(Shape a, Shape b) {
    return [=](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

Shader flat(KColour c) {
    return [c](double, double) { return c; };
}

Shader vertical(KColour top, KColour bottom, double y0, double y1) {
    return [=](double, double y) { return mix(top, bottom, (y - y0) / (y1 - y0)); };
}

void Painter::fill(const Box& bounds, const Shape& shape, const Shader& colour, double softness) {
    const int x0 = std::max(bounds.x, 0), y0 = std::max(bounds.y, 0);
    const int x1 = std::min(bounds.x + bounds.w, canvas_.width());
    const int y1 = std::min(bounds.y + bounds.h, canvas_.height());
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double coverage = std::clamp(0.5 - shape(px, py) / softness, 0.0, 1.0);
            if (coverage <= 0.0)
                continue;
            KColour c = colour(px, py);
            const int a = int(std::lround(c.a * coverage));
            if (a <= 0)
                continue;
            c.a = uint8_t(a);
            if (a == 255)
                canvas_.fillRect(x, y, 1, 1, c);
            else
                canvas_.blendRect(x, y, 1, 1, c);
        }
    }
}

}  // namespace kx::art
