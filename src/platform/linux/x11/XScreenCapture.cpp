#include "platform/linux/x11/XScreenCapture.h"

#include <X11/extensions/Xcomposite.h>
#include <gdk/gdkx.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>

#include "platform/linux/image/Resampling.h"
#include "platform/linux/x11/CursorImage.h"
#include "platform/linux/x11/PaintedArea.h"
#include "platform/linux/x11/RandrMonitors.h"
#include "platform/linux/x11/ScreenSpace.h"
#include "platform/linux/x11/StackComposer.h"
#include "platform/linux/x11/TopLevels.h"

namespace nimbo::x11 {
namespace {

// Every top-level window GDK made for this process that is on screen now:
// page windows, their popups and menus, tooltips. GDK knows without asking
// the server, so a capture with none of them shown costs no round trip here.
std::vector<Window> shownShellWindows() {
    std::vector<Window> ids;
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen) return ids;
    GList* windows = gdk_screen_get_toplevel_windows(screen);
    for (GList* item = windows; item; item = item->next) {
        auto* window = static_cast<GdkWindow*>(item->data);
        if (GDK_IS_X11_WINDOW(window) && gdk_window_is_viewable(window)) ids.push_back(gdk_x11_window_get_xid(window));
    }
    g_list_free(windows);
    return ids;
}

// The root's children that are, or hold, one of those windows, but for the
// one that holds `including`.
std::set<Window> leftOut(Display* display, Window root, const std::vector<Window>& shell,
                         const std::vector<Window>& children, std::optional<long> including) {
    const std::set<Window> topLevels(children.begin(), children.end());
    std::set<Window> own;
    for (Window id : shell) {
        if (topLevels.contains(id)) {
            own.insert(id);
        } else if (auto holder = topLevelHolding(display, root, id)) {
            own.insert(*holder);
        }
    }
    if (including && *including > 0) {
        if (auto holder = topLevelHolding(display, root, static_cast<Window>(*including))) own.erase(*holder);
    }
    return own;
}

}  // namespace

XScreenCapture::XScreenCapture() {
    connection_ = XConnection::open([](XEvent&) {});
    if (!connection_) return;
    Display* display = connection_->display();
    reader_ = std::make_unique<PixelReader>(*connection_);
    cursorImages_ = cursorImageAvailable(display);
    int eventBase = 0, errorBase = 0, major = 0, minor = 2;
    if (XCompositeQueryExtension(display, &eventBase, &errorBase) && XCompositeQueryVersion(display, &major, &minor)) {
        connection_->trapErrors(
            [&] { XCompositeRedirectSubwindows(display, connection_->root(), CompositeRedirectAutomatic); });
    }
}

XScreenCapture::~XScreenCapture() {
    reader_.reset();  // its segment is detached on the connection, before that closes
}

bool XScreenCapture::readable() {
    if (!connection_ || !connection_->alive()) return false;
    Display* display = connection_->display();
    XImage* image = nullptr;
    const int error = connection_->trapErrors(
        [&] { image = XGetImage(display, connection_->root(), 0, 0, 1, 1, AllPlanes, ZPixmap); });
    if (image) XDestroyImage(image);
    return image && error == 0;
}

bool XScreenCapture::composited() {
    Display* display = connection_->display();
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, name.c_str(), False)) != None;
}

std::optional<std::vector<platform::ShareableDisplay>> XScreenCapture::shareableDisplays() {
    if (!readable()) return std::nullopt;
    const auto monitors = randrMonitors();
    std::vector<platform::ShareableDisplay> displays;
    if (monitors.empty()) return displays;
    const double scale = windowScale();
    const Monitor& primary = monitors.front();
    for (const Monitor& monitor : monitors) {
        platform::ShareableDisplay display;
        display.id = static_cast<long long>(monitor.name);
        display.frame = Rect{{(monitor.x - primary.x) / scale, (monitor.y - primary.y) / scale},
                             {monitor.width / scale, monitor.height / scale}};
        displays.push_back(display);
    }
    return displays;
}

std::shared_ptr<std::vector<std::uint8_t>> XScreenCapture::buffer(std::size_t size) {
    // Nobody else holds the last one: every copy of it came from here.
    if (spare_ && spare_.use_count() == 1 && spare_->size() == size) {
        std::atomic_thread_fence(std::memory_order_acquire);  // their last reads came before
        return spare_;
    }
    spare_ = std::make_shared<std::vector<std::uint8_t>>(size);
    return spare_;
}

bool XScreenCapture::leaveOut(const std::vector<unsigned long>& shell, std::optional<long> including,
                              const XRectangle& area, Picture32& picture) {
    Display* display = connection_->display();
    const Window root = connection_->root();
    const auto children = rootChildren(display, root);
    const auto own = leftOut(display, root, shell, children, including);
    const bool blended = composited();
    // Where they show on this monitor, top ones included.
    std::vector<XRectangle> covered;
    for (Window id : children) {
        if (!own.contains(id)) continue;
        if (auto window = describe(display, id); window && window->shown) {
            auto painted = paintedArea(display, *reader_, *window, blended, area);
            covered.insert(covered.end(), painted.begin(), painted.end());
        }
    }
    if (covered.empty()) return true;
    std::vector<TopLevel> stack;
    for (Window id : children) {
        if (own.contains(id)) continue;
        if (auto window = describe(display, id)) stack.push_back(*window);
    }
    return composeStack(*connection_, *reader_, stack, covered, blended, picture);
}

platform::Grab XScreenCapture::capture(long long displayId, int width, int height, std::optional<long> including,
                                       bool showCursor) {
    if (!connection_ || !connection_->alive()) return {std::nullopt, "the X display can't be read"};
    if (width < 1 || height < 1) return {std::nullopt, "no picture of that size"};
    std::optional<Monitor> monitor;
    for (const Monitor& each : randrMonitors())
        if (static_cast<long long>(each.name) == displayId) monitor = each;
    if (!monitor) return {std::nullopt, "no display numbered " + std::to_string(displayId)};

    Display* display = connection_->display();
    const XRectangle area{static_cast<short>(monitor->x), static_cast<short>(monitor->y),
                          static_cast<unsigned short>(monitor->width), static_cast<unsigned short>(monitor->height)};
    const PixelRows screen =
        reader_->read(connection_->root(), DefaultVisual(display, DefaultScreen(display)),
                      DefaultDepth(display, DefaultScreen(display)), area.x, area.y, area.width, area.height);
    if (!screen.data) return {std::nullopt, "the screen can't be read"};
    const int stride = screen.width * 4;
    auto pixels = buffer(static_cast<std::size_t>(stride) * screen.height);
    for (int row = 0; row < screen.height; ++row) {
        std::memcpy(pixels->data() + static_cast<std::ptrdiff_t>(row) * stride,
                    screen.data + static_cast<std::ptrdiff_t>(row) * screen.stride, static_cast<std::size_t>(stride));
    }

    if (const auto shell = shownShellWindows(); !shell.empty()) {
        Picture32 picture{pixels->data(), stride, area.x, area.y, screen.width, screen.height};
        if (!leaveOut(shell, including, area, picture))
            return {std::nullopt, "the shell's windows can't be left out of the picture"};
    }

    if (showCursor && cursorImages_)
        drawCursor(display, area.x, area.y, pixels->data(), screen.width, screen.height, stride);

    platform::Image image{screen.width, screen.height, stride, std::move(pixels)};
    auto sized = resample(image, width, height);
    if (!sized) return {std::nullopt, "the picture can't be scaled"};
    return {std::move(*sized), {}};
}

}  // namespace nimbo::x11
