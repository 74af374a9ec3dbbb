// Shape painting for the skin art on top of the canvas: shapes are signed
// distance functions, colours are shaders, and every covered pixel is blended
// through the canvas with the shape's coverage folded into the alpha.
#pragma once

#include <functional>
#include <vector>

#include "art_layout.h"
#include "graphics/canvas.h"

namespace kx::art {

// Negative inside, positive outside, in pixels.
using Shape = std::function<double(double x, double y)>;
using Shader = std::function<KColour(double x, double y)>;

KColour rgb(int r, int g, int b, int a = 255);
KColour mix(KColour from, KColour to, double t);
KColour withAlpha(KColour c, int a);

Shape circle(double cx, double cy, double r);
Shape roundRect(double x, double y, double w, double h, double r);
// A band of the given half width centred on the outline of another shape.
Shape outline(Shape shape, double halfWidth);
Shape segment(double x1, double y1, double x2, double y2, double halfWidth);
// Joined segments through the points (x0, y0, x1, y1, ...), drawn in one pass so joins don't double up.
Shape polyline(std::vector<double> points, double halfWidth);
// The part of a that lies outside b.
Shape cutOut(Shape a, Shape b);

Shader flat(KColour c);
// Top colour at y0 to bottom colour at y1, held beyond.
Shader vertical(KColour top, KColour bottom, double y0, double y1);

class Painter {
public:
    explicit Painter(KCanvas& canvas) : canvas_(canvas) {}

    // Blends the shader's colour over every pixel of bounds that the shape
    // covers; softness widens the anti-aliased edge (1 = one pixel).
    void fill(const Box& bounds, const Shape& shape, const Shader& colour, double softness = 1.0);
    void fill(const Box& bounds, const Shape& shape, KColour colour, double softness = 1.0) {
        fill(bounds, shape, flat(colour), softness);
    }

    KCanvas& canvas() { return canvas_; }

private:
    KCanvas& canvas_;
};

}  // namespace kx::art
