#include "stage/geometry.h"

#include <algorithm>
#include <cmath>

namespace stage {

float Rect::minX() const {
    return std::min(origin.x, origin.x + size.width);
}
float Rect::maxX() const {
    return std::max(origin.x, origin.x + size.width);
}
float Rect::minY() const {
    return std::min(origin.y, origin.y + size.height);
}
float Rect::maxY() const {
    return std::max(origin.y, origin.y + size.height);
}

bool Rect::containsPoint(Point p) const {
    return p.x >= minX() && p.x <= maxX() && p.y >= minY() && p.y <= maxY();
}

Affine Affine::operator*(const Affine& in) const {
    Affine r;
    r.a = a * in.a + c * in.b;
    r.b = b * in.a + d * in.b;
    r.c = a * in.c + c * in.d;
    r.d = b * in.c + d * in.d;
    r.tx = a * in.tx + c * in.ty + tx;
    r.ty = b * in.tx + d * in.ty + ty;
    return r;
}

Affine Affine::inverted() const {
    const float det = a * d - b * c;
    if (det == 0 || !std::isfinite(det)) {
        return {};
    }
    const float inv = 1.0f / det;
    Affine r;
    r.a = d * inv;
    r.b = -b * inv;
    r.c = -c * inv;
    r.d = a * inv;
    r.tx = (c * ty - d * tx) * inv;
    r.ty = (b * tx - a * ty) * inv;
    return r;
}

bool uprightPixels(const Point (&corners)[4], PixelBox& out) {
    const Point u = corners[1] - corners[0]; // along the picture's bottom edge
    const Point v = corners[3] - corners[0]; // up the picture's left edge (up is -y in pixels)
    const float w = std::hypot(u.x, u.y);
    const float h = std::hypot(v.x, v.y);
    // Thinner than a thousandth of a pixel: not drawn at all.
    if (w < 1e-3f || h < 1e-3f || !(u.x > 0 && v.y < 0 && std::fabs(u.y) < 1e-3f && std::fabs(v.x) < 1e-3f)) {
        return false;
    }
    const Point centre = corners[0] + (u + v) * 0.5f;
    out.x0 = int(std::lround(centre.x - w / 2));
    out.y0 = int(std::lround(centre.y - h / 2));
    out.x1 = int(std::lround(centre.x + w / 2));
    out.y1 = int(std::lround(centre.y + h / 2));
    return true;
}

} // namespace stage
