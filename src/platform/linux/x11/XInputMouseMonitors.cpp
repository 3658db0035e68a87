#include "platform/linux/x11/XInputMouseMonitors.h"

#include <X11/extensions/XInput2.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <string_view>

#include "platform/linux/glib/CancelToken.h"
#include "platform/linux/gtk/DesktopApplication.h"
#include "platform/linux/gtk/WebPageWindow.h"

namespace nimbo::x11 {
namespace {

// The list owns the entry; the token only marks it removed, so a token that
// outlives the monitors is still safe to cancel.
template <typename List>
platform::WorkHandle tokenFor(List& list, typename List::value_type entry) {
    list.erase(std::remove_if(list.begin(), list.end(), [](const auto& each) { return each->removed; }), list.end());
    list.push_back(entry);
    std::weak_ptr<typename List::value_type::element_type> weak = entry;
    return std::make_shared<CancelToken>([weak] {
        if (auto strong = weak.lock()) strong->removed = true;
    });
}

constexpr int kLeftButton = 1;
// Window managers nest the shell's windows in a frame or two.
constexpr int kDeepestNesting = 8;
// An announced press comes back within milliseconds; one the server dropped
// is forgotten after this, so it can't hide a later press of somebody else's.
constexpr std::int64_t kEchoWindowMicroseconds = 2'000'000;

}  // namespace

XInputMouseMonitors::~XInputMouseMonitors() {
    if (connection_) connection_->close();
}

platform::WorkHandle XInputMouseMonitors::addGlobalMouseDownMonitor(std::function<void()> handler) {
    if (!listen()) return nullptr;
    return tokenFor(global_, std::make_shared<GlobalEntry>(GlobalEntry{std::move(handler)}));
}

platform::WorkHandle XInputMouseMonitors::addLocalMouseDownMonitor(
    std::function<void(const std::shared_ptr<platform::PageWindow>&)> handler) {
    if (!listen()) return nullptr;
    return tokenFor(local_, std::make_shared<LocalEntry>(LocalEntry{std::move(handler)}));
}

bool XInputMouseMonitors::listen() {
    if (connection_ && connection_->alive()) return true;
    if (connection_) connection_->close();
    connection_ = XConnection::open([this](XEvent& event) { handle(event); });
    if (!connection_) return false;
    Display* display = connection_->display();
    int firstEvent = 0, firstError = 0;
    int major = 2, minor = 2;  // 2.1 and later deliver raw events during grabs
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    if (!XQueryExtension(display, "XInputExtension", &xinputOpcode_, &firstEvent, &firstError) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2 ||
        connection_->trapErrors([&] { XISelectEvents(display, connection_->root(), &mask, 1); }) != 0) {
        connection_->close();
        connection_.reset();
        return false;
    }
    readButtonMap();
    xtestPointers_.clear();
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        const std::string_view name = devices[i].name ? devices[i].name : "";
        if (devices[i].use == XISlavePointer && name.find("XTEST") != std::string_view::npos)
            xtestPointers_.push_back(devices[i].deviceid);
    }
    if (devices) XIFreeDeviceInfo(devices);
    ownPresses_.clear();
    return true;
}

void XInputMouseMonitors::expectOwnPress() {
    // Unheard presses need no announcing.
    if (connection_ && connection_->alive()) ownPresses_.push_back(g_get_monotonic_time());
}

bool XInputMouseMonitors::takeOwnPress() {
    const std::int64_t now = g_get_monotonic_time();
    while (!ownPresses_.empty() && now - ownPresses_.front() > kEchoWindowMicroseconds) ownPresses_.pop_front();
    if (ownPresses_.empty()) return false;
    ownPresses_.pop_front();
    return true;
}

void XInputMouseMonitors::readButtonMap() {
    unsigned char map[256] = {};
    const int count = XGetPointerMapping(connection_->display(), map, sizeof map);
    buttonMap_.assign(map, map + std::max(count, 0));
}

void XInputMouseMonitors::handle(XEvent& event) {
    Display* display = connection_->display();
    if (event.type == MappingNotify) {
        if (event.xmapping.request == MappingPointer) readButtonMap();
        return;
    }
    if (event.type != GenericEvent || event.xcookie.extension != xinputOpcode_) return;
    if (!XGetEventData(display, &event.xcookie)) return;
    const bool press = event.xcookie.evtype == XI_RawButtonPress;
    const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
    const int physical = press ? raw->detail : 0;
    const int source = press ? raw->sourceid : 0;
    XFreeEventData(display, &event.xcookie);
    if (!press || physical < 1) return;
    const int logical = static_cast<std::size_t>(physical) <= buttonMap_.size() ? buttonMap_[physical - 1] : physical;
    if (logical != kLeftButton) return;
    const bool fromXTest = std::find(xtestPointers_.begin(), xtestPointers_.end(), source) != xtestPointers_.end();
    if (fromXTest && takeOwnPress()) return;

    // Handlers may add or cancel monitors, and may drop the last reference to a window.
    if (auto window = shellWindowUnderPointer()) {
        const std::shared_ptr<platform::PageWindow> pageWindow = window;
        auto monitors = local_;
        for (const auto& monitor : monitors) {
            if (!monitor->removed) monitor->handler(pageWindow);
        }
        return;
    }
    auto monitors = global_;
    for (const auto& monitor : monitors) {
        if (!monitor->removed) monitor->handler();
    }
}

std::shared_ptr<WebPageWindow> XInputMouseMonitors::shellWindowUnderPointer() const {
    const auto windows = application_.windows();
    if (windows.empty()) return nullptr;
    Display* display = connection_->display();
    // From the root down through whatever holds the pointer, as the server
    // picks it: input shapes count, so a click-through window is passed over.
    Window under = connection_->root();
    for (int depth = 0; depth < kDeepestNesting && under != None; ++depth) {
        Window root = 0, child = None;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned state = 0;
        if (!XQueryPointer(display, under, &root, &child, &rootX, &rootY, &x, &y, &state)) return nullptr;
        under = child;
        for (const auto& window : windows) {
            GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window->gtkWindow()));
            if (under != None && gdkWindow && GDK_WINDOW_XID(gdkWindow) == under) return window;
        }
    }
    return nullptr;
}

}  // namespace nimbo::x11
