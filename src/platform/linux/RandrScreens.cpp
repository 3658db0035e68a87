#include "platform/linux/RandrScreens.h"

#include <gdk/gdk.h>

#include "platform/linux/ScreenSpace.h"

namespace nimbo::x11 {

std::vector<platform::Screen> RandrScreens::screens() const {
    std::vector<platform::Screen> list;
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return list;
    for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
        GdkRectangle area;
        gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &area);
        platform::Screen screen;
        screen.number = i + 1;
        screen.frame = frameFromRootRect(area.x, area.y, area.width, area.height);
        list.push_back(screen);
    }
    return list;
}

std::optional<platform::Screen> RandrScreens::mainScreen() const {
    auto list = screens();
    if (list.empty()) return std::nullopt;
    return list.front();
}

Point RandrScreens::mouseLocation() const {
    return {};
}

}  // namespace nimbo::x11
