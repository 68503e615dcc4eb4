#pragma once

#include <algorithm>

namespace Tolva {

// Plain point, size and rectangle in pixels. Rectangles are half-open: right and bottom lie just
// outside, as window rectangles always have been.
struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const Rect&) const = default;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool Intersects(const Rect& o) const {
        return !IsEmpty() && !o.IsEmpty() && left < o.right && o.left < right && top < o.bottom &&
               o.top < bottom;
    }
    // Empty rectangle (all zero) when they do not meet.
    Rect Intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }
    // An empty side does not widen the union.
    Rect Union(const Rect& o) const {
        if (IsEmpty()) return o;
        if (o.IsEmpty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Inflate(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
};

} // namespace Tolva
