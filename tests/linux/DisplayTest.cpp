// The display list from RandR: the pure conversions, then a real server of two
// monitors (LEFT 1920x1080 at 0,0, primary; RIGHT 1280x1024 at 1920,0) whose
// list the tests edit as `xrandr --setmonitor` does.
#include <gtest/gtest.h>

#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include "Desktop.h"
#include "MonitorEdits.h"
#include "platform/linux/x11/RandrScreens.h"
#include "platform/linux/x11/ScreenSpace.h"

namespace nimbo::test {
namespace {

using x11::Monitor;

long long atomOf(const char* name) {
    return static_cast<long long>(XInternAtom(xDisplay(), name, False));
}

TEST(MonitorList, ThePrimaryComesFirstAndTheRestKeepTheServersOrder) {
    const Monitor a{1, 0, 0, 10, 10, false}, b{2, 10, 0, 10, 10, true}, c{3, 20, 0, 10, 10, false};
    EXPECT_EQ(x11::primaryFirst({a, b, c}), (std::vector<Monitor>{b, a, c}));
    EXPECT_EQ(x11::primaryFirst({a, c}), (std::vector<Monitor>{a, c})) << "no primary: the server's first";
    EXPECT_TRUE(x11::primaryFirst({}).empty());
}

TEST(MonitorList, FramesAreInPointsAroundThePrimary) {
    // A scale of 2: device pixels halve. The second monitor sits above-left of the primary.
    const auto screens =
        x11::screensFromMonitors({Monitor{7, 1000, 400, 2000, 1200, true}, Monitor{9, 0, 0, 1000, 400, false}}, 2);
    ASSERT_EQ(screens.size(), 2U);
    EXPECT_EQ(screens[0].frame, (Rect{{0, 0}, {1000, 600}}));
    EXPECT_EQ(screens[0].number, 7);
    EXPECT_EQ(screens[0].backingScale, 2.0);
    EXPECT_EQ(screens[1].frame, (Rect{{-500, 600}, {500, 200}}));
    EXPECT_EQ(screens[1].safeAreaTop, 0.0);
    EXPECT_FALSE(screens[1].auxiliaryTopLeft);
    EXPECT_TRUE(x11::screensFromMonitors({}, 1).empty());
}

TEST(MonitorList, AWindowBelongsToTheScreenItOverlapsMost) {
    const auto screens =
        x11::screensFromMonitors({Monitor{1, 0, 0, 1920, 1080, true}, Monitor{2, 1920, 0, 1280, 1024, false}}, 1);
    EXPECT_EQ(x11::screenHolding(screens, Rect{{1800, 100}, {300, 100}})->number, 2) << "200 of 300 on the right";
    EXPECT_EQ(x11::screenHolding(screens, Rect{{1900, 100}, {40, 100}})->number, 1) << "a tie goes to the first";
    EXPECT_FALSE(x11::screenHolding(screens, Rect{{5000, 0}, {10, 10}}));
}

class DisplaysTwoMonitors : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(desktop().screens().screens().size(), 2U) << "run under scripts/with-desktop --two-monitors";
    }
    MonitorEdits edits_;
};

TEST_F(DisplaysTwoMonitors, ScreensAreTheMonitorsPrimaryFirstInBottomLeftCoordinates) {
    auto& screens = desktop().screens();
    const auto list = screens.screens();
    EXPECT_EQ(list[0].number, atomOf("LEFT"));
    EXPECT_EQ(list[0].frame, (Rect{{0, 0}, {1920, 1080}}));
    EXPECT_EQ(list[0].backingScale, 1.0);
    EXPECT_EQ(list[1].number, atomOf("RIGHT"));
    EXPECT_EQ(list[1].frame, (Rect{{1920, 56}, {1280, 1024}})) << "top-aligned, 56 short of the primary's height";
    EXPECT_EQ(screens.mainScreen(), list[0]) << "no key window: the primary";

    XTestFakeMotionEvent(xDisplay(), -1, 2000, 100, CurrentTime);
    XSync(xDisplay(), False);
    EXPECT_EQ(screens.mouseLocation(), (Point{2000, 980}));
}

TEST_F(DisplaysTwoMonitors, TheMainScreenHoldsTheKeyWindow) {
    platform::PageWindowOptions options;
    options.frame = Rect{{2200, 300}, {400, 300}};
    options.title = "on the right";
    auto window = desktop().windows().makePageWindow(options);
    window->makeKey();
    ASSERT_TRUE(waitUntil([&] { return window->isKey(); }));
    EXPECT_EQ(desktop().screens().mainScreen()->number, atomOf("RIGHT"));
    window->resignKey();
    window->close();
    ASSERT_TRUE(waitUntil([&] { return !desktop().application().keyWindow(); }));
    EXPECT_EQ(desktop().screens().mainScreen()->number, atomOf("LEFT"));
}

TEST_F(DisplaysTwoMonitors, MonitorEditsAreReportedAndReadAgain) {
    int changes = 0;
    auto observer = desktop().application().observeScreenParameters([&] { ++changes; });
    edits_.remove("RIGHT");
    ASSERT_TRUE(waitUntil([&] { return changes == 1; })) << "a deleted monitor is a display change";
    EXPECT_EQ(desktop().screens().screens().size(), 1U);

    edits_.set("RIGHT", 1920, 0, 1280, 1024, false);
    ASSERT_TRUE(waitUntil([&] { return changes == 2; })) << "so is an added one";
    EXPECT_EQ(desktop().screens().screens().size(), 2U);
    runFor(0.2);
    EXPECT_EQ(changes, 2) << "one edit, one report";
}

TEST_F(DisplaysTwoMonitors, ANewPrimaryMovesTheOriginForScreensAndWindowsAlike) {
    edits_.makePrimary("RIGHT");
    const auto list = desktop().screens().screens();
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0].number, atomOf("RIGHT"));
    EXPECT_EQ(list[0].frame, (Rect{{0, 0}, {1280, 1024}}));
    EXPECT_EQ(list[1].frame, (Rect{{-1920, -56}, {1920, 1080}}));
    // A frame at the new origin lands at the bottom-left corner of RIGHT.
    const GdkRectangle root = x11::rootRectFromFrame(Rect{{0, 0}, {100, 100}});
    EXPECT_EQ(root.x, 1920);
    EXPECT_EQ(root.y, 924);
    EXPECT_EQ(x11::frameFromRootRect(0, 0, 1920, 1080), list[1].frame);
}

}  // namespace
}  // namespace nimbo::test
