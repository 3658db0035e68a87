// The nimbo program on a desktop of two monitors: one overlay exactly on each,
// each loading its own page, and clicks going through to the application below.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <signal.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Desktop.h"
#include "ProbeWindow.h"

namespace nimbo::test {
namespace {

// The shown top-level window lying exactly on a root rectangle.
Window windowExactlyAt(int x, int y, int width, int height) {
    for (Window window : topLevels()) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(xDisplay(), window, &attributes) || attributes.map_state != IsViewable) continue;
        if (attributes.x == x && attributes.y == y && attributes.width == width && attributes.height == height)
            return window;
    }
    return 0;
}

TEST(ShellTwoMonitors, PutsAnOverlayExactlyOnEachMonitorAndLetsClicksThrough) {
    DevServer server;
    TempDir home;
    // The application under the right overlay, there before the shell starts.
    ProbeWindow below(2000, 100, 400, 300);
    ASSERT_TRUE(waitUntil([&] { return below.shown(); }));
    const std::string log = shellLog(home);
    auto shell = startShell(home, server.origin());

    const std::string left = "nimbo: overlay is exactly 1920x1080 at 0,0";
    const std::string right = "nimbo: overlay is exactly 1280x1024 at 1920,0";
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto text = readFile(log);
            return (linesWith(text, left) && linesWith(text, right)) || shell->exited();
        },
        30.0))
        << readFile(log);
    ASSERT_FALSE(shell->exited()) << readFile(log);
    EXPECT_EQ(readFile(log).find("landed"), std::string::npos) << readFile(log);

    const std::string leftPage = "GET /spatial/overlay?display=0&dx=0&dy=0&dw=1920&dh=1080 -> 200";
    const std::string rightPage = "GET /spatial/overlay?display=1920&dx=1920&dy=0&dw=1280&dh=1024 -> 200";
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto requests = server.log();
            return requests.find(leftPage) != std::string::npos && requests.find(rightPage) != std::string::npos;
        },
        30.0))
        << server.log();

    // The right overlay lies on the monitor, above the probe, and the click goes through it.
    Window overlay = 0;
    ASSERT_TRUE(waitUntil([&] { return (overlay = windowExactlyAt(1920, 0, 1280, 1024)) != 0; }));
    const auto stacking = topLevels();
    EXPECT_GT(std::find(stacking.begin(), stacking.end(), overlay) - stacking.begin(),
              std::find(stacking.begin(), stacking.end(), below.window()) - stacking.begin())
        << "the overlay is in front of the probe";
    EXPECT_NE(windowExactlyAt(0, 0, 1920, 1080), 0UL) << "and the left one on its monitor";
    const auto [probeX, probeY] = below.rootOrigin();
    clickAt(probeX + 150, probeY + 120);
    EXPECT_TRUE(waitUntil([&] { return below.presses() == 1; })) << "the click reached the application below";

    shell->signal(SIGTERM);
    const auto status = shell->waitForExit(5.0);
    ASSERT_TRUE(status) << readFile(log);
    EXPECT_EQ(*status, 0);
}

}  // namespace
}  // namespace nimbo::test
