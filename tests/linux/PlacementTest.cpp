// Where a window manager really put an overlay. Openbox keeps windows off a
// panel's strut: an overlay asked for at the top of the screen lands below
// the panel, and the frame the backend reads back must say so, so that the
// core's drift check sees it.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include "Desktop.h"
#include "display/Overlay.h"
#include "platform/linux/x11/XProperties.h"

namespace nimbo::test {
namespace {

constexpr int kPanelHeight = 40;

std::vector<unsigned long> rootProperty(const char* name, Atom type) {
    return x11::windowProperty(xDisplay(), DefaultRootWindow(xDisplay()), gdk_x11_get_xatom_by_name(name), type);
}

// A panel along the top of the screen that reserves its strip, as a desktop's
// task bar does; drawn by its own client.
class Panel {
public:
    Panel() {
        display_ = XOpenDisplay(nullptr);
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1920, kPanelHeight, 0, 0, 0x303030);
        const Atom dock = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DOCK", False);
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&dock), 1);
        // left, right, top, bottom, then the start and end of each side's strip.
        const long strut[12] = {0, 0, kPanelHeight, 0, 0, 0, 0, 0, 0, 1919, 0, 0};
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(strut), 12);
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_STRUT", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(strut), 4);
        XMapWindow(display_, window_);
        XSync(display_, False);
    }
    ~Panel() {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

private:
    Display* display_ = nullptr;
    Window window_ = 0;
};

TEST(PlacedByWindowManager, TheFrameReadBackIsWhereTheWindowManagerPutIt) {
    // The panel is there first; openbox takes it over when it starts.
    Panel panel;
    Child openbox({"openbox", "--sm-disable"}, {}, "");
    ASSERT_TRUE(waitUntil(
        [] {
            const auto area = rootProperty("_NET_WORKAREA", XA_CARDINAL);
            return area.size() >= 4 && area[1] == kPanelHeight;
        },
        20.0))
        << "openbox keeps the panel's strip: " << ::testing::PrintToString(rootProperty("_NET_WORKAREA", XA_CARDINAL));

    LogLines log;
    DevServer server;
    const auto screens = desktop().screens().screens();
    ASSERT_FALSE(screens.empty());
    // The top 600 points of the screen, as the caption window asks for its strip.
    const Rect asked{{0, 0}, {1920, 600}};
    auto overlay = Overlay::make(desktop(), screens.front(), server.origin() + "/spatial/overlay", asked,
                                 [](Overlay&, const BridgeMessage&) {});
    auto& page = overlay->window().page();
    const long number = page.windowNumber();
    ASSERT_TRUE(waitUntil([&] { return serverGeometry(number).y == kPanelHeight; }))
        << "openbox put the window below the panel, not at " << serverGeometry(number).y;

    // Bottom-left: 1080 - 40 - 600 = 440 rather than the 480 asked for.
    const Rect landed{{0, 440}, {1920, 600}};
    EXPECT_TRUE(waitUntil([&] { return page.frame() == landed; }))
        << "read back at " << page.frame().origin.x << "," << page.frame().origin.y << " " << page.frame().size.width
        << "x" << page.frame().size.height;
    EXPECT_EQ(overlay->frameInfo()["wy"], Json(40.0)) << "the page is told where its window is";

    EXPECT_TRUE(overlay->keepPlaced("about to capture"));
    EXPECT_EQ(log.count("nimbo: window had DRIFTED to 1920x600 at 0,440 — want 1920x600 at 0,480; every mark was "
                        "off by the difference [about to capture]"),
              1u)
        << ::testing::PrintToString(log.lines);
    overlay->tearDown();
}

}  // namespace
}  // namespace nimbo::test
