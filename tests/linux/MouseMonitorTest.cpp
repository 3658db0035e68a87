// Left-button presses seen by the shell without taking them: elsewhere (the
// global monitors) and on the shell's own windows (the local ones).
#include <gtest/gtest.h>

#include "Desktop.h"
#include "ProbeWindow.h"

namespace nimbo::test {

TEST(MouseMonitors, PressesElsewhereAreGlobalAndOnTheShellsWindowsLocal) {
    ProbeWindow other(100, 100, 300, 200);
    ASSERT_TRUE(waitUntil([&] { return other.shown(); }));
    const auto [otherX, otherY] = other.rootOrigin();
    const double screenHeight = desktop().screens().mainScreen()->frame.size.height;
    // An ordinary shell window at 600,100 on the root window.
    auto shell = desktop().windows().makePageWindow({{{600, screenHeight - 300}, {300, 200}}, "shell window", false});
    shell->orderFront();
    ASSERT_TRUE(waitUntil([&] { return mapped(*shell); }));

    int global = 0;
    std::vector<std::shared_ptr<platform::PageWindow>> local;
    auto& monitors = desktop().mouseMonitors();
    auto globalHandle = monitors.addGlobalMouseDownMonitor([&] { ++global; });
    auto localHandle = monitors.addLocalMouseDownMonitor([&](const auto& window) { local.push_back(window); });
    ASSERT_TRUE(globalHandle && localHandle);

    clickAt(otherX + 150, otherY + 100);
    ASSERT_TRUE(waitUntil([&] { return global == 1; }));
    EXPECT_EQ(other.presses(), 1) << "seen, not taken";

    clickAt(750, 200);
    ASSERT_TRUE(waitUntil([&] { return local.size() == 1; }));
    EXPECT_EQ(local[0], shell);
    EXPECT_EQ(global, 1) << "a press on the shell's window is not global";

    // Over the other application sits a whole-screen overlay that lets clicks
    // through: those presses belong to the application below.
    auto overlay = makeOverlayWindow(Rect{{0, 0}, {1000, screenHeight}});
    overlay->setIgnoresMouse(true);
    overlay->orderFront();
    ASSERT_TRUE(waitUntil([&] { return mapped(*overlay) && inputRectangles(overlay->windowNumber()) == 0; }));
    // The right button is not counted; the left one after it is.
    clickAt(otherX + 100, otherY + 50, 3);
    clickAt(otherX + 100, otherY + 50);
    ASSERT_TRUE(waitUntil([&] { return other.presses() == 3; }));
    ASSERT_TRUE(waitUntil([&] { return global >= 2; }));
    runFor(0.2);
    EXPECT_EQ(global, 2);
    EXPECT_EQ(local.size(), 1U);

    // A cancelled monitor hears nothing more; one added later hears on.
    int later = 0;
    auto laterHandle = monitors.addGlobalMouseDownMonitor([&] { ++later; });
    globalHandle->cancel();
    clickAt(otherX + 150, otherY + 100);
    ASSERT_TRUE(waitUntil([&] { return later == 1; }));
    EXPECT_EQ(global, 2);
    EXPECT_EQ(local.size(), 1U);
    laterHandle->cancel();
    localHandle->cancel();
    overlay->close();
    shell->close();
}

}  // namespace nimbo::test
