#include "platform/linux/ScreenSpace.h"

#include <cmath>

namespace nimbo::x11 {

GdkRectangle primaryMonitorArea() {
    GdkRectangle area{0, 0, 0, 0};
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return area;
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
    if (monitor) gdk_monitor_get_geometry(monitor, &area);
    return area;
}

GdkRectangle rootRectFromFrame(const Rect& frame) {
    const GdkRectangle primary = primaryMonitorArea();
    const double top = primary.y + primary.height - frame.maxY();
    return GdkRectangle{
        static_cast<int>(std::lround(primary.x + frame.minX())),
        static_cast<int>(std::lround(top)),
        static_cast<int>(std::lround(frame.size.width)),
        static_cast<int>(std::lround(frame.size.height)),
    };
}

Rect frameFromRootRect(int x, int y, int width, int height) {
    const GdkRectangle primary = primaryMonitorArea();
    const double bottom = static_cast<double>(primary.y + primary.height) - (y + height);
    return Rect{{static_cast<double>(x - primary.x), bottom},
                {static_cast<double>(width), static_cast<double>(height)}};
}

}  // namespace nimbo::x11
