#pragma once

// Points, sizes and rectangles in points, with the meaning CoreGraphics gives them: a null
// rectangle is the "no rectangle" answer (origin at infinity), an empty one has no area, and the
// edge accessors work on the standardized rectangle.

namespace platform {

using CGFloat = double;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;

    friend bool operator==(const CGPoint&, const CGPoint&) = default;
    bool isFinite() const;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;

    friend bool operator==(const CGSize&, const CGSize&) = default;
    bool isFinite() const;
};

struct CGRect {
    CGPoint origin;
    CGSize size;

    CGRect() = default;
    CGRect(CGPoint origin, CGSize size) : origin(origin), size(size) {}
    CGRect(CGFloat x, CGFloat y, CGFloat width, CGFloat height)
        : origin{x, y}, size{width, height} {}

    static CGRect null();
    static CGRect zero() { return {}; }

    // True for the null rectangle, whatever its size field says.
    bool isNull() const;
    // True when null, or when the width or height is zero.
    bool isEmpty() const;
    // True when every component is a finite number (null rectangles are not finite).
    bool isFinite() const;
    // Same rectangle with a non-negative width and height.
    CGRect standardized() const;

    CGFloat minX() const;
    CGFloat midX() const;
    CGFloat maxX() const;
    CGFloat minY() const;
    CGFloat midY() const;
    CGFloat maxY() const;
    CGFloat width() const;
    CGFloat height() const;

    // True when the two rectangles overlap with a positive area; never for a null or non-finite
    // one.
    bool intersects(const CGRect& other) const;
    // True when `other` lies inside this rectangle, edges included; never for a null one.
    bool contains(const CGRect& other) const;
    // True when the point lies inside, the minimum edges included and the maximum ones not.
    bool contains(CGPoint point) const;
    // The overlap of the two rectangles, or the null rectangle when they do not overlap or
    // either one has a non-finite component.
    CGRect intersection(const CGRect& other) const;

    // Position and size equality of the standardized rectangles; all null rectangles are equal.
    friend bool operator==(const CGRect& a, const CGRect& b);
};

} // namespace platform
