#include "platform/linux/x11/RandrMonitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <gdk/gdkx.h>

#include <algorithm>

namespace nimbo::x11 {
namespace {

bool hasMonitorList(Display* display) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    return XRRQueryExtension(display, &eventBase, &errorBase) && XRRQueryVersion(display, &major, &minor) &&
           (major > 1 || (major == 1 && minor >= 5));
}

Monitor wholeRoot(Display* display) {
    const int screen = DefaultScreen(display);
    return Monitor{0, 0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen), true};
}

}  // namespace

std::vector<Monitor> primaryFirst(std::vector<Monitor> monitors) {
    std::stable_partition(monitors.begin(), monitors.end(), [](const Monitor& monitor) { return monitor.primary; });
    return monitors;
}

std::vector<Monitor> randrMonitors() {
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    if (!gdkDisplay || !GDK_IS_X11_DISPLAY(gdkDisplay)) return {};
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    // The version never changes while the connection lives; ask once.
    static const bool monitorList = hasMonitorList(display);
    if (!monitorList) return {wholeRoot(display)};

    int count = 0;
    XRRMonitorInfo* infos = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    std::vector<Monitor> monitors;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& info = infos[i];
        monitors.push_back(Monitor{info.name, info.x, info.y, info.width, info.height, info.primary != 0});
    }
    if (infos) XRRFreeMonitors(infos);
    return primaryFirst(std::move(monitors));
}

}  // namespace nimbo::x11
