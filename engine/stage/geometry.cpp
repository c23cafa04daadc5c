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

} // namespace stage
