#include "platform/linux/x11/ScreenSpace.h"

#include <algorithm>
#include <cmath>

#include "platform/linux/x11/RandrMonitors.h"

namespace nimbo::x11 {

int windowScale() {
    GdkWindow* root = gdk_get_default_root_window();
    return root ? std::max(1, gdk_window_get_scale_factor(root)) : 1;
}

GdkRectangle primaryMonitorArea() {
    const auto monitors = randrMonitors();
    if (monitors.empty()) return GdkRectangle{0, 0, 0, 0};
    const Monitor& primary = monitors.front();
    const int scale = windowScale();
    return GdkRectangle{primary.x / scale, primary.y / scale, primary.width / scale, primary.height / scale};
}

GdkRectangle rootRectFromFrame(const Rect& frame, const GdkRectangle& primary) {
    const double top = primary.y + primary.height - frame.maxY();
    return GdkRectangle{
        static_cast<int>(std::lround(primary.x + frame.minX())),
        static_cast<int>(std::lround(top)),
        static_cast<int>(std::lround(frame.size.width)),
        static_cast<int>(std::lround(frame.size.height)),
    };
}

Rect frameFromRootRect(const GdkRectangle& rect, const GdkRectangle& primary) {
    const double bottom = static_cast<double>(primary.y + primary.height) - (rect.y + rect.height);
    return Rect{{static_cast<double>(rect.x - primary.x), bottom},
                {static_cast<double>(rect.width), static_cast<double>(rect.height)}};
}

GdkRectangle rootRectFromFrame(const Rect& frame) {
    return rootRectFromFrame(frame, primaryMonitorArea());
}

Rect frameFromRootRect(int x, int y, int width, int height) {
    return frameFromRootRect(GdkRectangle{x, y, width, height}, primaryMonitorArea());
}

Point pointFromRoot(double x, double y) {
    const GdkRectangle primary = primaryMonitorArea();
    return Point{x - primary.x, static_cast<double>(primary.y + primary.height) - y};
}

}  // namespace nimbo::x11
