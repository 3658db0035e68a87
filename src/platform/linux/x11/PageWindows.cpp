#include "platform/linux/x11/PageWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <set>

#include "platform/linux/gtk/DesktopApplication.h"
#include "platform/linux/gtk/WebPageWindow.h"
#include "platform/linux/x11/XProperties.h"

namespace nimbo::x11 {
namespace {

// The top-level windows from bottom to top.
std::vector<unsigned long> stackingBottomToTop() {
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    const Window root = gdk_x11_get_default_root_xwindow();
    auto stacking = windowProperty(
        display, root, gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_CLIENT_LIST_STACKING"), XA_WINDOW, 4096);
    if (!stacking.empty()) return stacking;
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) && children) {
        stacking.assign(children, children + count);
        XFree(children);
    }
    return stacking;
}

}  // namespace

std::shared_ptr<platform::PageWindow> PageWindows::makePageWindow(const platform::PageWindowOptions& options) {
    auto window = std::make_shared<WebPageWindow>(options, application_);
    application_.registerWindow(window);
    return window;
}

std::vector<long> PageWindows::windowNumbers() const {
    std::set<long> shown;
    for (const auto& window : application_.windows()) {
        if (gtk_widget_get_mapped(GTK_WIDGET(window->gtkWindow()))) shown.insert(window->windowNumber());
    }
    std::vector<long> frontToBack;
    if (shown.empty()) return frontToBack;
    const auto stacking = stackingBottomToTop();
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        if (shown.contains(static_cast<long>(*it))) frontToBack.push_back(static_cast<long>(*it));
    }
    return frontToBack;
}

void PageWindows::setArrowCursor() {
    for (const auto& window : application_.windows()) window->showArrowCursor();
}

}  // namespace nimbo::x11
