// Points, sizes, rectangles, colours and 2-D affine transforms of the stage.
// Positions are in design units with the origin at the bottom left unless a name says otherwise.
#pragma once

#include <cstdint>

namespace stage {

struct Point {
    float x = 0;
    float y = 0;

    Point() = default;
    Point(float px, float py) : x(px), y(py) {}

    Point operator+(Point o) const { return {x + o.x, y + o.y}; }
    Point operator-(Point o) const { return {x - o.x, y - o.y}; }
    Point operator-() const { return {-x, -y}; }
    Point operator*(float s) const { return {x * s, y * s}; }
    Point& operator+=(Point o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    bool operator==(Point o) const { return x == o.x && y == o.y; }
    bool operator!=(Point o) const { return !(*this == o); }
};

struct Size {
    float width = 0;
    float height = 0;

    Size() = default;
    Size(float w, float h) : width(w), height(h) {}
    bool operator==(Size o) const { return width == o.width && height == o.height; }
    bool operator!=(Size o) const { return !(*this == o); }
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(float x, float y, float w, float h) : origin(x, y), size(w, h) {}

    float minX() const;
    float maxX() const;
    float minY() const;
    float maxY() const;
    // Inclusive on all four edges, so a rectangle contains its border (and (0,0,0,0) contains (0,0)).
    bool containsPoint(Point p) const;
    bool operator==(const Rect& o) const { return origin == o.origin && size == o.size; }
};

struct Color3B {
    std::uint8_t r = 255;
    std::uint8_t g = 255;
    std::uint8_t b = 255;
    bool operator==(Color3B o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(Color3B o) const { return !(*this == o); }
};

struct Color4B {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    bool operator==(Color4B o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(Color4B o) const { return !(*this == o); }
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty.
struct Affine {
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Affine identity() { return {}; }
    static Affine translation(float x, float y) { return {1, 0, 0, 1, x, y}; }
    static Affine scaling(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    // The transform that applies `inner` first and then this one.
    Affine operator*(const Affine& inner) const;
    // Singular transforms (a node scaled to 0) invert to the identity; nothing can be hit then anyway.
    Affine inverted() const;
};

// A picture drawn upright (bottom edge level, left edge plumb, not mirrored) between these corners (as
// Renderer::drawTexture takes them) lands on the whole pixels [x0, x1) x [y0, y1) in the software
// renderers, whatever fraction of a pixel the corners lie at. False for any other placement, and for
// one too thin to be drawn.
struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool operator==(const PixelBox& o) const { return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1; }
};
bool uprightPixels(const Point (&corners)[4], PixelBox& out);

} // namespace stage
