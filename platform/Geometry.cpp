#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

bool CGPoint::isFinite() const {
    return std::isfinite(x) && std::isfinite(y);
}

bool CGSize::isFinite() const {
    return std::isfinite(width) && std::isfinite(height);
}

CGRect CGRect::null() {
    constexpr CGFloat infinity = std::numeric_limits<CGFloat>::infinity();
    return {infinity, infinity, 0, 0};
}

bool CGRect::isNull() const {
    return std::isinf(origin.x) && origin.x > 0 && std::isinf(origin.y) && origin.y > 0;
}

bool CGRect::isEmpty() const {
    return isNull() || size.width == 0 || size.height == 0;
}

bool CGRect::isFinite() const {
    return origin.isFinite() && size.isFinite();
}

CGRect CGRect::standardized() const {
    if (isNull()) {
        return *this;
    }
    CGRect result = *this;
    if (result.size.width < 0) {
        result.origin.x += result.size.width;
        result.size.width = -result.size.width;
    }
    if (result.size.height < 0) {
        result.origin.y += result.size.height;
        result.size.height = -result.size.height;
    }
    return result;
}

CGFloat CGRect::minX() const {
    return standardized().origin.x;
}
CGFloat CGRect::midX() const {
    const CGRect r = standardized();
    return r.origin.x + r.size.width / 2;
}
CGFloat CGRect::maxX() const {
    const CGRect r = standardized();
    return r.origin.x + r.size.width;
}
CGFloat CGRect::minY() const {
    return standardized().origin.y;
}
CGFloat CGRect::midY() const {
    const CGRect r = standardized();
    return r.origin.y + r.size.height / 2;
}
CGFloat CGRect::maxY() const {
    const CGRect r = standardized();
    return r.origin.y + r.size.height;
}
CGFloat CGRect::width() const {
    return std::fabs(size.width);
}
CGFloat CGRect::height() const {
    return std::fabs(size.height);
}

CGRect CGRect::intersection(const CGRect& other) const {
    // Null rectangles and NaN or infinite components have no overlap with anything.
    if (!isFinite() || !other.isFinite()) {
        return null();
    }
    const CGFloat left = std::max(minX(), other.minX());
    const CGFloat right = std::min(maxX(), other.maxX());
    const CGFloat bottom = std::max(minY(), other.minY());
    const CGFloat top = std::min(maxY(), other.maxY());
    if (left > right || bottom > top) {
        return null();
    }
    return {left, bottom, right - left, top - bottom};
}

bool CGRect::intersects(const CGRect& other) const {
    return !intersection(other).isEmpty();
}

bool CGRect::contains(const CGRect& other) const {
    if (isNull() || other.isNull()) {
        return false;
    }
    return minX() <= other.minX() && other.maxX() <= maxX() && minY() <= other.minY() &&
           other.maxY() <= maxY();
}

bool CGRect::contains(CGPoint point) const {
    if (isNull()) {
        return false;
    }
    return minX() <= point.x && point.x < maxX() && minY() <= point.y && point.y < maxY();
}

bool operator==(const CGRect& a, const CGRect& b) {
    if (a.isNull() || b.isNull()) {
        return a.isNull() && b.isNull();
    }
    const CGRect sa = a.standardized();
    const CGRect sb = b.standardized();
    return sa.origin == sb.origin && sa.size == sb.size;
}

} // namespace platform
