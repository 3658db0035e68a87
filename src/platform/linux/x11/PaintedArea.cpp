#include "platform/linux/x11/PaintedArea.h"

#include <X11/extensions/shape.h>

#include <algorithm>

namespace nimbo::x11 {
namespace {

constexpr int kTile = 16;

XRectangle rectangle(int x, int y, int width, int height) {
    return XRectangle{static_cast<short>(x), static_cast<short>(y), static_cast<unsigned short>(width),
                      static_cast<unsigned short>(height)};
}

// The bounding shape in root coordinates; the outer rectangle when unshaped.
std::vector<XRectangle> boundingShape(Display* display, const TopLevel& window) {
    const int originX = window.x + window.border, originY = window.y + window.border;
    int eventBase = 0, errorBase = 0;
    std::vector<XRectangle> shape;
    if (XShapeQueryExtension(display, &eventBase, &errorBase)) {
        int count = 0, ordering = 0;
        XRectangle* rectangles = XShapeGetRectangles(display, window.id, ShapeBounding, &count, &ordering);
        for (int i = 0; i < count; ++i) {
            shape.push_back(rectangle(rectangles[i].x + originX, rectangles[i].y + originY, rectangles[i].width,
                                      rectangles[i].height));
        }
        if (rectangles) XFree(rectangles);
        return shape;  // none: shaped to nothing
    }
    shape.push_back(rectangle(window.x, window.y, window.outerWidth(), window.outerHeight()));
    return shape;
}

// Runs of tiles, in root coordinates, that hold a pixel with some alpha.
std::vector<XRectangle> tilesWithAlpha(const PixelRows& rows, int rootX, int rootY) {
    auto painted = [&](int left, int top) {
        for (int y = top; y < std::min(rows.height, top + kTile); ++y) {
            const std::uint8_t* alpha = rows.data + static_cast<std::ptrdiff_t>(y) * rows.stride + 3;
            for (int x = left; x < std::min(rows.width, left + kTile); ++x)
                if (alpha[static_cast<std::ptrdiff_t>(x) * 4] != 0) return true;
        }
        return false;
    };
    std::vector<XRectangle> tiles;
    for (int top = 0; top < rows.height; top += kTile) {
        const int height = std::min(kTile, rows.height - top);
        int runStart = -1;
        for (int left = 0; left < rows.width; left += kTile) {
            if (painted(left, top)) {
                if (runStart < 0) runStart = left;
            } else if (runStart >= 0) {
                tiles.push_back(rectangle(rootX + runStart, rootY + top, left - runStart, height));
                runStart = -1;
            }
        }
        if (runStart >= 0) tiles.push_back(rectangle(rootX + runStart, rootY + top, rows.width - runStart, height));
    }
    return tiles;
}

}  // namespace

std::optional<XRectangle> intersect(const XRectangle& a, const XRectangle& b) {
    const int left = std::max<int>(a.x, b.x), top = std::max<int>(a.y, b.y);
    const int right = std::min(a.x + a.width, b.x + b.width), bottom = std::min(a.y + a.height, b.y + b.height);
    if (right <= left || bottom <= top) return std::nullopt;
    return rectangle(left, top, right - left, bottom - top);
}

std::vector<XRectangle> paintedArea(Display* display, PixelReader& reader, const TopLevel& window, bool composited,
                                    const XRectangle& within) {
    std::vector<XRectangle> shown;
    for (const auto& part : boundingShape(display, window))
        if (auto inside = intersect(part, within)) shown.push_back(*inside);
    if (shown.empty() || !composited || window.depth != 32) return shown;

    // A compositor blends the whole window: read which parts are not clear.
    const XRectangle inner = rectangle(window.x + window.border, window.y + window.border, window.width, window.height);
    auto readable = intersect(inner, within);
    if (!readable) return {};
    const PixelRows rows = reader.read(window.id, window.visual, window.depth, readable->x - inner.x,
                                       readable->y - inner.y, readable->width, readable->height);
    if (!rows.data) return shown;  // unreadable: leave out all of it
    std::vector<XRectangle> painted;
    for (const auto& tile : tilesWithAlpha(rows, readable->x, readable->y)) {
        for (const auto& part : shown)
            if (auto both = intersect(tile, part)) painted.push_back(*both);
    }
    return painted;
}

}  // namespace nimbo::x11
