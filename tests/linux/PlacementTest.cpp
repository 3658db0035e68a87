// Where a window manager really put an overlay. Openbox keeps windows off a
// panel's strut: an overlay asked for at the top of the screen lands below
// the panel, and the frame the backend reads back must say so, so that the
// core's drift check sees it.
#include <gtest/gtest.h>

#include "Desktop.h"
#include "ProbeWindow.h"
#include "display/Overlay.h"

namespace nimbo::test {
namespace {

constexpr int kPanelHeight = 40;

TEST(PlacedByWindowManager, TheFrameReadBackIsWhereTheWindowManagerPutIt) {
    // A panel along the top that reserves its strip, as a desktop's task bar
    // does: there first, so openbox takes it over when it starts.
    ProbeWindow panel(0, 0, 1920, kPanelHeight, 0x303030);
    setProperty(panel.window(), "_NET_WM_WINDOW_TYPE", "ATOM", {atom("_NET_WM_WINDOW_TYPE_DOCK")});
    // left, right, top, bottom, then the start and end of each side's strip.
    const std::vector<unsigned long> strut = {0, 0, kPanelHeight, 0, 0, 0, 0, 0, 0, 1919, 0, 0};
    setProperty(panel.window(), "_NET_WM_STRUT_PARTIAL", "CARDINAL", strut);
    setProperty(panel.window(), "_NET_WM_STRUT", "CARDINAL", {strut.begin(), strut.begin() + 4});
    const auto openbox = startOpenbox();
    ASSERT_TRUE(openbox);
    const auto workArea = [] { return property(rootWindow(), "_NET_WORKAREA", "CARDINAL"); };
    ASSERT_TRUE(waitUntil([&] { return workArea().size() >= 4 && workArea()[1] == unsigned(kPanelHeight); }, 20.0))
        << "openbox keeps the panel's strip: " << ::testing::PrintToString(workArea());

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
