#include "platform/linux/x11/RandrScreens.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/linux/gtk/DesktopApplication.h"
#include "platform/linux/x11/ScreenSpace.h"

namespace nimbo::x11 {
namespace {

double overlap(const Rect& a, const Rect& b) {
    const double width = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double height = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return width > 0 && height > 0 ? width * height : 0;
}

}  // namespace

std::vector<platform::Screen> screensFromMonitors(const std::vector<Monitor>& monitors, int scale) {
    std::vector<platform::Screen> list;
    if (monitors.empty()) return list;
    auto inUnits = [scale](const Monitor& monitor) {
        return GdkRectangle{monitor.x / scale, monitor.y / scale, monitor.width / scale, monitor.height / scale};
    };
    const GdkRectangle primary = inUnits(monitors.front());
    for (const Monitor& monitor : monitors) {
        platform::Screen screen;
        screen.number = static_cast<long long>(monitor.name);
        screen.frame = frameFromRootRect(inUnits(monitor), primary);
        screen.backingScale = scale;
        list.push_back(screen);
    }
    return list;
}

std::optional<platform::Screen> screenHolding(const std::vector<platform::Screen>& screens, const Rect& frame) {
    std::optional<platform::Screen> best;
    double bestArea = 0;
    for (const auto& screen : screens) {
        const double area = overlap(screen.frame, frame);
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

std::vector<platform::Screen> RandrScreens::screens() const {
    return screensFromMonitors(randrMonitors(), windowScale());
}

std::optional<platform::Screen> RandrScreens::mainScreen() const {
    const auto list = screens();
    if (list.empty()) return std::nullopt;
    if (auto key = application_.keyWindow()) {
        if (auto holding = screenHolding(list, key->frame())) return holding;
    }
    return list.front();
}

Point RandrScreens::mouseLocation() const {
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    if (!gdkDisplay || !GDK_IS_X11_DISPLAY(gdkDisplay)) return {};
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask);
    const double scale = windowScale();
    return pointFromRoot(rootX / scale, rootY / scale);
}

}  // namespace nimbo::x11
