// Page windows on the X server: how transparent ones are made, keyboard
// focus, and the key events the shell's windows receive.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <gdk/gdkx.h>

#include "Desktop.h"
#include "TestKeyboard.h"
#include "platform/linux/gtk/WebPageWindow.h"

namespace nimbo::test {
namespace {

x11::WebPageWindow& gtkOf(platform::PageWindow& window) {
    return dynamic_cast<x11::WebPageWindow&>(window);
}

std::shared_ptr<platform::PageWindow> makeWindow(Rect frame, bool transparent = false) {
    platform::PageWindowOptions options;
    options.frame = frame;
    options.title = "window test";
    options.transparent = transparent;
    return desktop().windows().makePageWindow(options);
}

TEST(PageWindow, TransparentWindowsAreClearAndUndecorated) {
    auto window = makeWindow(Rect{{10, 10}, {200, 200}}, /*transparent=*/true);
    EXPECT_FALSE(gtk_window_get_decorated(gtkOf(*window).gtkWindow()));
    GdkRGBA background{};
    webkit_web_view_get_background_color(dynamic_cast<x11::WebKitView&>(window->web()).webView(), &background);
    EXPECT_EQ(background.alpha, 0.0);
    EXPECT_TRUE(gtk_window_get_decorated(gtkOf(*makeWindow(Rect{{10, 10}, {200, 200}})).gtkWindow()));
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
    TestKeyboard keys_;
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
    EXPECT_NE(focus, static_cast<Window>(second_->windowNumber())) << "the keyboard went back";
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
    keys_.tap(XK_a);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[0].type, platform::KeyEventType::keyDown);
    EXPECT_EQ(seen[0].keyCode, 0) << "A's virtual key code";
    EXPECT_EQ(seen[0].window, first_);
    EXPECT_EQ(seen[1].type, platform::KeyEventType::keyUp);
    EXPECT_EQ(pageKeys(), Json(0)) << "a swallowed key never reaches the page";

    swallow = false;
    seen.clear();
    keys_.tap(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[0].keyCode, 36);
    EXPECT_TRUE(waitUntil([&] { return pageKeys() == Json(1); })) << "a key let through reaches the page";

    monitor->cancel();
    monitor->cancel();
    seen.clear();
    keys_.tap(XK_Left);
    EXPECT_TRUE(waitUntil([&] { return pageKeys() == Json(2); }));
    EXPECT_TRUE(seen.empty()) << "a cancelled monitor hears nothing";
}

TEST_F(Keyboard, ControlQAsksTheDelegateToQuit) {
    RecordingDelegate delegate;
    delegate.replies = {platform::TerminateReply::cancel, platform::TerminateReply::cancel};
    desktop().application().setDelegate(&delegate);
    first_->makeKey();
    ASSERT_TRUE(waitUntil([&] { return first_->isKey(); }));
    keys_.chord({XK_Control_L, XK_q});
    ASSERT_TRUE(waitUntil([&] { return !delegate.calls.empty(); }));
    keys_.tap(XK_q);  // a plain q is just a key
    runFor(0.2);
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"should terminate"}) << "asked once, and it cancelled";
}

}  // namespace
}  // namespace nimbo::test
