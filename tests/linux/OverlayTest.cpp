// Overlay windows on a real X server: where they land, what they tell window
// managers, click-through that another client can feel, the mouse-down the
// shell hears while it holds the mouse, and stacking.
#include <gtest/gtest.h>

#include <gdk/gdkx.h>

#include <algorithm>

#include "Desktop.h"
#include "ProbeWindow.h"

namespace nimbo::test {
namespace {

// The RIGHT monitor of the two-monitor desktop, in bottom-left coordinates.
const Rect rightMonitor{{1920, 56}, {1280, 1024}};

// Whether the window's bounding shape, if it has one, holds a point of the window.
bool shows(long window, int x, int y) {
    const auto shape = boundingShape(window);
    return !shape || std::any_of(shape->begin(), shape->end(), [&](const GdkRectangle& r) {
        return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
    });
}

bool hasAtom(const std::vector<unsigned long>& list, const char* name) {
    return std::find(list.begin(), list.end(), atom(name)) != list.end();
}

TEST(OverlayTwoMonitors, LandsExactlyOnItsMonitorAndAsksToBeLeftAlone) {
    auto overlay = makeOverlayWindow(rightMonitor);
    overlay->setIgnoresMouse(true);
    overlay->orderFront();
    ASSERT_TRUE(waitUntil([&] { return mapped(*overlay); }));
    const long number = overlay->windowNumber();
    // Landing exactly on each monitor is ShellTwoMonitors'; here the hints and a later move.
    EXPECT_EQ(overlay->frame(), rightMonitor);

    XWindowAttributes attributes{};
    XGetWindowAttributes(xDisplay(), number, &attributes);
    EXPECT_EQ(attributes.depth, 32) << "an RGBA visual";
    const Window window = number;
    EXPECT_TRUE(hasAtom(property(window, "_NET_WM_WINDOW_TYPE", "ATOM"), "_NET_WM_WINDOW_TYPE_NOTIFICATION"));
    for (const char* wanted : {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        EXPECT_TRUE(hasAtom(property(window, "_NET_WM_STATE", "ATOM"), wanted)) << wanted;
    const auto desktopNumber = property(window, "_NET_WM_DESKTOP", "CARDINAL");
    ASSERT_EQ(desktopNumber.size(), 1U);
    EXPECT_EQ(desktopNumber[0] & 0xFFFFFFFFU, 0xFFFFFFFFU) << "on every workspace";
    EXPECT_GE(property(window, "_MOTIF_WM_HINTS", "_MOTIF_WM_HINTS").size(), 3U) << "no decorations asked for";
    EXPECT_EQ(inputRectangles(number), 0);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(xDisplay(), &focus, &revert);
    EXPECT_NE(focus, window) << "showing it took no keyboard";
    EXPECT_FALSE(overlay->isKey());

    // A later frame moves it as exactly.
    overlay->setFrame(Rect{{1920, 56}, {640, 512}});
    ASSERT_TRUE(waitUntil([&] {
        const auto got = serverGeometry(number);
        return got.x == 1920 && got.y == 512 && got.width == 640 && got.height == 512;
    }));
    overlay->close();
}

TEST(OverlayTwoMonitors, ClicksPassThroughUntilTheShellTakesTheMouse) {
    // The application under the overlay, on the right monitor.
    ProbeWindow below(2000, 100, 400, 300);
    ASSERT_TRUE(waitUntil([&] { return below.shown(); }));
    // Two points inside both windows.
    const auto [probeX, probeY] = below.rootOrigin();
    const int x = probeX + 100, y = probeY + 100;
    auto overlay = makeOverlayWindow(rightMonitor);
    std::vector<Point> downs;
    overlay->setMouseDownHandler([&](Point point) { downs.push_back(point); });
    overlay->setIgnoresMouse(true);
    overlay->orderFront();
    // The page paints a button of its own under the point: without a
    // compositor the window only covers what its page paints.
    ASSERT_TRUE(loadPage(overlay->web(),
                         "data:text/html,<body style='margin:0;height:100vh'>"
                         "<div style='position:fixed;left:" +
                             std::to_string(x - 1920 - 50) + "px;top:" + std::to_string(y - 50) +
                             "px;width:100px;height:100px;background:orange'></div><script>"
                             "window.downs=0;addEventListener('mousedown',()=>downs++,true);"
                             "</script></body>"));
    ASSERT_TRUE(waitUntil([&] {
        return mapped(*overlay) && inputRectangles(overlay->windowNumber()) == 0 &&
               shows(overlay->windowNumber(), x - 1920, y);
    }));
    auto pageDowns = [&] { return runScript(overlay->web(), "return window.downs;").value; };

    clickAt(x, y);
    ASSERT_TRUE(waitUntil([&] { return below.presses() == 1; })) << "the click went through the overlay";
    EXPECT_TRUE(downs.empty());
    EXPECT_EQ(pageDowns(), Json(0));

    overlay->setIgnoresMouse(false);
    ASSERT_TRUE(waitUntil([&] { return inputRectangles(overlay->windowNumber()) >= 1; }));
    clickAt(x, y);
    ASSERT_TRUE(waitUntil([&] { return downs.size() == 1; })) << "the overlay holds the mouse";
    // The overlay's top-left corner is the monitor's, at 1920,0; window y grows upwards from 1024.
    EXPECT_EQ(downs[0], (Point{x - 1920.0, 1024.0 - y}));
    EXPECT_TRUE(waitUntil([&] { return pageDowns() == Json(1); })) << "the page still gets the press";
    EXPECT_EQ(below.presses(), 1);

    overlay->setIgnoresMouse(true);
    ASSERT_TRUE(waitUntil([&] { return inputRectangles(overlay->windowNumber()) == 0; }));
    clickAt(x + 200, y + 150);
    ASSERT_TRUE(waitUntil([&] { return below.presses() == 2; })) << "click-through again";
    EXPECT_EQ(downs.size(), 1U);
    overlay->close();
}

TEST(Stacking, WindowNumbersFollowTheServersOrderFrontToBack) {
    auto& windows = desktop().windows();
    auto a = makeOverlayWindow(Rect{{0, 0}, {200, 200}});
    auto b = makeOverlayWindow(Rect{{100, 0}, {200, 200}});
    auto c = makeOverlayWindow(Rect{{200, 0}, {200, 200}});
    for (auto* window : {&a, &b, &c}) (*window)->orderFront();
    ASSERT_TRUE(waitUntil([&] { return mapped(*a) && mapped(*b) && mapped(*c); }));
    const long na = a->windowNumber(), nb = b->windowNumber(), nc = c->windowNumber();
    // A window manager, where there is one, restacks in its own time.
    auto orderIs = [&](const std::vector<long>& expected) {
        const bool held = waitUntil([&] { return windows.windowNumbers() == expected; }, 5.0);
        if (!held) ADD_FAILURE() << "front to back: " << ::testing::PrintToString(windows.windowNumbers());
        return held;
    };
    EXPECT_TRUE(orderIs({nc, nb, na})) << "the last shown is in front";

    a->orderBelow(nc);
    EXPECT_TRUE(orderIs({nc, na, nb}));
    // What the keyboard hand-back does: out, then back directly below the window in front.
    c->orderOut();
    EXPECT_TRUE(orderIs({na, nb})) << "hidden windows are left out";
    c->orderBelow(na);
    EXPECT_TRUE(orderIs({na, nc, nb}));
    b->close();
    EXPECT_TRUE(orderIs({na, nc})) << "closed windows are left out";

    // A window manager's stacking list wins over the root's children.
    setProperty(rootWindow(), "_NET_CLIENT_LIST_STACKING", "WINDOW",
                {0x1234, static_cast<unsigned long>(nc), static_cast<unsigned long>(na)});
    EXPECT_EQ(windows.windowNumbers(), (std::vector<long>{na, nc})) << "bottom to top in the list";
    XDeleteProperty(xDisplay(), rootWindow(), atom("_NET_CLIENT_LIST_STACKING"));
    XSync(xDisplay(), False);
    a->close();
    c->close();
}

}  // namespace
}  // namespace nimbo::test
