#pragma once
// Rectangle arithmetic of the window system: half-open frames, and an
// intersection that is absent unless the two overlap with positive area.
#include <algorithm>
#include <optional>

#include "platform/Geometry.h"

namespace nimbo::Rects {

inline bool positive(const Rect& r) {
    return r.size.width > 0 && r.size.height > 0;
}
inline double area(const Rect& r) {
    return r.size.width * r.size.height;
}
inline Point centre(const Rect& r) {
    return {r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2};
}
inline bool contains(const Rect& r, Point p) {
    return p.x >= r.minX() && p.x < r.maxX() && p.y >= r.minY() && p.y < r.maxY();
}
inline bool intersects(const Rect& a, const Rect& b) {
    return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}
inline std::optional<Rect> intersection(const Rect& a, const Rect& b) {
    if (!intersects(a, b)) return std::nullopt;
    double x = std::max(a.minX(), b.minX());
    double y = std::max(a.minY(), b.minY());
    return Rect{{x, y}, {std::min(a.maxX(), b.maxX()) - x, std::min(a.maxY(), b.maxY()) - y}};
}
inline Rect unite(const Rect& a, const Rect& b) {
    double x = std::min(a.minX(), b.minX());
    double y = std::min(a.minY(), b.minY());
    return {{x, y}, {std::max(a.maxX(), b.maxX()) - x, std::max(a.maxY(), b.maxY()) - y}};
}
inline Rect grown(const Rect& r, double by) {
    return {{r.origin.x - by, r.origin.y - by}, {r.size.width + 2 * by, r.size.height + 2 * by}};
}

}  // namespace nimbo::Rects
