// Page windows on the X server: where they land, click-through, keyboard
// focus, and the key events the shell's windows receive.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

#include "Desktop.h"
#include "platform/linux/gtk/DesktopApplication.h"
#include "platform/linux/gtk/WebPageWindow.h"

namespace nimbo::test {
namespace {

x11::WebPageWindow& gtkOf(platform::PageWindow& window) {
    return dynamic_cast<x11::WebPageWindow&>(window);
}

Window xidOf(platform::PageWindow& window) {
    return GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(gtkOf(window).gtkWindow())));
}

std::shared_ptr<platform::PageWindow> makeWindow(Rect frame, bool transparent = false) {
    platform::PageWindowOptions options;
    options.frame = frame;
    options.title = "window test";
    options.transparent = transparent;
    return desktop().windows().makePageWindow(options);
}

void pressKey(KeySym symbol, bool down) {
    XTestFakeKeyEvent(xDisplay(), XKeysymToKeycode(xDisplay(), symbol), down ? True : False, CurrentTime);
    XFlush(xDisplay());
}

void tapKey(KeySym symbol) {
    pressKey(symbol, true);
    pressKey(symbol, false);
}

TEST(PageWindow, FramesAreBottomLeftAroundThePrimaryMonitor) {
    GdkRectangle primary{};
    GdkMonitor* monitor = gdk_display_get_primary_monitor(gdk_display_get_default());
    if (!monitor) monitor = gdk_display_get_monitor(gdk_display_get_default(), 0);
    gdk_monitor_get_geometry(monitor, &primary);
    auto window = makeWindow(Rect{{100, 200}, {300, 150}});
    window->orderFront();
    ASSERT_TRUE(waitUntil([&] { return mapped(*window); }));
    // The window's top edge is at maxY = 350 up from the primary's bottom.
    const GdkRectangle expected{primary.x + 100, primary.y + primary.height - 350, 300, 150};
    ASSERT_TRUE(waitUntil([&] {
        const auto got = serverGeometry(xidOf(*window));
        return got.x == expected.x && got.y == expected.y && got.width == 300 && got.height == 150;
    })) << "at "
        << serverGeometry(xidOf(*window)).x << "," << serverGeometry(xidOf(*window)).y;
    EXPECT_EQ(window->frame(), (Rect{{100, 200}, {300, 150}}));

    window->setFrame(Rect{{0, 0}, {400, 100}});  // the primary's bottom-left corner
    ASSERT_TRUE(waitUntil([&] {
        const auto got = serverGeometry(xidOf(*window));
        return got.x == primary.x && got.y == primary.y + primary.height - 100 && got.width == 400;
    }));
    EXPECT_EQ(window->frame(), (Rect{{0, 0}, {400, 100}}));
    window->close();
}

TEST(PageWindow, TransparentWindowsAreClearUndecoratedAndClickThroughOnRequest) {
    auto window = makeWindow(Rect{{10, 10}, {200, 200}}, /*transparent=*/true);
    GtkWindow* gtkWindow = gtkOf(*window).gtkWindow();
    EXPECT_FALSE(gtk_window_get_decorated(gtkWindow));
    EXPECT_EQ(gdk_visual_get_depth(gtk_widget_get_visual(GTK_WIDGET(gtkWindow))), 32) << "an RGBA visual";
    GdkRGBA background{};
    webkit_web_view_get_background_color(dynamic_cast<x11::WebKitView&>(window->web()).webView(), &background);
    EXPECT_EQ(background.alpha, 0.0);

    window->orderFront();
    ASSERT_TRUE(waitUntil([&] { return mapped(*window); }));
    EXPECT_FALSE(window->ignoresMouse());
    EXPECT_GE(inputRectangles(xidOf(*window)), 1);
    window->setIgnoresMouse(true);
    EXPECT_TRUE(window->ignoresMouse());
    ASSERT_TRUE(waitUntil([&] { return inputRectangles(xidOf(*window)) == 0; })) << "an empty input shape";
    window->setIgnoresMouse(false);
    ASSERT_TRUE(waitUntil([&] { return inputRectangles(xidOf(*window)) >= 1; }));

    auto opaque = makeWindow(Rect{{10, 10}, {200, 200}});
    EXPECT_TRUE(gtk_window_get_decorated(gtkOf(*opaque).gtkWindow()));
}

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        first_ = makeWindow(Rect{{50, 50}, {300, 200}});
        second_ = makeWindow(Rect{{400, 50}, {300, 200}});
        first_->orderFront();
        second_->orderFront();
        ASSERT_TRUE(waitUntil([&] { return mapped(*first_) && mapped(*second_); }));
    }
    void TearDown() override {
        first_->resignKey();
        second_->resignKey();
        desktop().application().setDelegate(nullptr);
    }
    std::shared_ptr<platform::PageWindow> first_, second_;
};

TEST_F(Keyboard, KeyStatusFollowsRealFocus) {
    auto& application = desktop().application();
    first_->makeKey();
    ASSERT_TRUE(waitUntil([&] { return first_->isKey(); }));
    EXPECT_FALSE(second_->isKey());
    EXPECT_EQ(application.keyWindow(), first_);

    second_->makeKey();
    ASSERT_TRUE(waitUntil([&] { return second_->isKey() && !first_->isKey(); }));
    EXPECT_EQ(application.keyWindow(), second_);

    second_->resignKey();
    ASSERT_TRUE(waitUntil([&] { return !second_->isKey(); }));
    EXPECT_EQ(application.keyWindow(), nullptr);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(xDisplay(), &focus, &revert);
    EXPECT_NE(focus, xidOf(*second_)) << "the keyboard went back";
}

TEST_F(Keyboard, AWindowShownLaterTakesTheKeyboardOnceOnScreen) {
    auto late = makeWindow(Rect{{700, 300}, {200, 100}});
    late->makeKey();  // not on screen yet
    ASSERT_TRUE(waitUntil([&] { return late->isKey(); }));
    late->resignKey();
    ASSERT_TRUE(waitUntil([&] { return !late->isKey(); }));
}

TEST_F(Keyboard, MonitorsSeeKeysAndCanSwallowThem) {
    auto& application = desktop().application();
    // The page counts the key-downs that reach it.
    ASSERT_TRUE(loadPage(first_->web(),
                         "data:text/html,<body><script>window.keys=0;"
                         "addEventListener('keydown',()=>keys++,true);</script></body>"));
    first_->makeKey();
    ASSERT_TRUE(waitUntil([&] { return first_->isKey(); }));
    auto pageKeys = [&] { return runScript(first_->web(), "return window.keys;").value; };

    std::vector<platform::KeyEvent> seen;
    bool swallow = true;
    auto monitor = application.addLocalKeyMonitor([&](const platform::KeyEvent& event) {
        seen.push_back(event);
        return swallow;
    });
    tapKey(XK_a);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[0].type, platform::KeyEventType::keyDown);
    EXPECT_EQ(seen[0].keyCode, 0) << "A's virtual key code";
    EXPECT_EQ(seen[0].window, first_);
    EXPECT_EQ(seen[1].type, platform::KeyEventType::keyUp);
    EXPECT_EQ(pageKeys(), Json(0)) << "a swallowed key never reaches the page";

    swallow = false;
    seen.clear();
    tapKey(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[0].keyCode, 36);
    EXPECT_TRUE(waitUntil([&] { return pageKeys() == Json(1); })) << "a key let through reaches the page";

    monitor->cancel();
    monitor->cancel();
    seen.clear();
    tapKey(XK_Left);
    EXPECT_TRUE(waitUntil([&] { return pageKeys() == Json(2); }));
    EXPECT_TRUE(seen.empty()) << "a cancelled monitor hears nothing";
}

class QuitRecorder : public platform::ApplicationDelegate {
public:
    void applicationDidFinishLaunching() override {}
    platform::TerminateReply applicationShouldTerminate() override {
        ++asked;
        return platform::TerminateReply::cancel;
    }
    void applicationWillTerminate() override { ++willTerminate; }
    bool applicationShouldHandleReopen(bool) override { return true; }
    int asked = 0;
    int willTerminate = 0;
};

TEST_F(Keyboard, ControlQAsksTheDelegateToQuit) {
    QuitRecorder delegate;
    desktop().application().setDelegate(&delegate);
    first_->makeKey();
    ASSERT_TRUE(waitUntil([&] { return first_->isKey(); }));
    pressKey(XK_Control_L, true);
    tapKey(XK_q);
    pressKey(XK_Control_L, false);
    ASSERT_TRUE(waitUntil([&] { return delegate.asked == 1; }));
    EXPECT_EQ(delegate.willTerminate, 0) << "the delegate cancelled";
    // A plain q is just a key.
    tapKey(XK_q);
    runFor(0.2);
    EXPECT_EQ(delegate.asked, 1);
}

}  // namespace
}  // namespace nimbo::test
