#include "MonitorEdits.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <gdk/gdkx.h>

#include "Desktop.h"

namespace nimbo::test {
namespace {

// The server's own monitors (one per output) and names it doesn't have can't
// be deleted; those errors are expected.
void deleteMonitor(const std::string& name) {
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    XRRDeleteMonitor(xDisplay(), DefaultRootWindow(xDisplay()), XInternAtom(xDisplay(), name.c_str(), False));
    XSync(xDisplay(), False);
    gdk_x11_display_error_trap_pop_ignored(display);
}

}  // namespace

MonitorEdits::MonitorEdits() : original_(current()) {}

MonitorEdits::~MonitorEdits() {
    // Setting a monitor again moves it to the end, so clear the list and rebuild it in order.
    for (const auto& monitor : current()) deleteMonitor(monitor.name);
    for (const auto& monitor : original_) apply(monitor);
    XSync(xDisplay(), False);
}

std::vector<MonitorEdits::Saved> MonitorEdits::current() {
    std::vector<Saved> list;
    int count = 0;
    XRRMonitorInfo* infos = XRRGetMonitors(xDisplay(), DefaultRootWindow(xDisplay()), True, &count);
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& info = infos[i];
        char* name = XGetAtomName(xDisplay(), info.name);
        list.push_back(Saved{name, info.x, info.y, info.width, info.height, info.mwidth, info.mheight,
                             info.primary != 0, std::vector<unsigned long>(info.outputs, info.outputs + info.noutput)});
        XFree(name);
    }
    if (infos) XRRFreeMonitors(infos);
    return list;
}

void MonitorEdits::apply(const Saved& monitor) {
    deleteMonitor(monitor.name);  // the server refuses a name it already has
    std::vector<RROutput> outputs(monitor.outputs.begin(), monitor.outputs.end());
    XRRMonitorInfo info{};
    info.name = XInternAtom(xDisplay(), monitor.name.c_str(), False);
    info.primary = monitor.primary ? True : False;
    info.x = monitor.x;
    info.y = monitor.y;
    info.width = monitor.width;
    info.height = monitor.height;
    info.mwidth = monitor.mmWidth;
    info.mheight = monitor.mmHeight;
    info.noutput = static_cast<int>(outputs.size());
    info.outputs = outputs.data();
    XRRSetMonitor(xDisplay(), DefaultRootWindow(xDisplay()), &info);
    XSync(xDisplay(), False);
}

void MonitorEdits::set(const std::string& name, int x, int y, int width, int height, bool primary) {
    // About 96 dots per inch, as xrandr would be told.
    apply(Saved{name, x, y, width, height, width * 254 / 960, height * 254 / 960, primary, {}});
}

void MonitorEdits::remove(const std::string& name) {
    deleteMonitor(name);
}

void MonitorEdits::makePrimary(const std::string& name) {
    for (auto monitor : current()) {
        if (monitor.name != name) continue;
        monitor.primary = true;
        apply(monitor);
    }
}

}  // namespace nimbo::test
