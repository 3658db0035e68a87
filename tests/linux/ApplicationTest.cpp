// The application object on a real desktop: its main loop and the quit
// handshake, the front application from the root window, display changes,
// and the grants.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <unistd.h>

#include "Desktop.h"

namespace nimbo::test {
namespace {

// Records the delegate calls and answers quit requests from a script of replies.
class ScriptedDelegate : public platform::ApplicationDelegate {
public:
    std::function<void()> onLaunch;
    std::vector<platform::TerminateReply> replies;
    std::vector<std::string> calls;

    void applicationDidFinishLaunching() override {
        calls.push_back("launched");
        if (onLaunch) onLaunch();
    }
    platform::TerminateReply applicationShouldTerminate() override {
        calls.push_back("should terminate");
        const auto reply = replies.empty() ? platform::TerminateReply::now : replies.front();
        if (!replies.empty()) replies.erase(replies.begin());
        return reply;
    }
    void applicationWillTerminate() override { calls.push_back("will terminate"); }
    bool applicationShouldHandleReopen(bool) override { return true; }
};

TEST(Application, QuitRequestsAskTheDelegateAndOnlyAYesEndsTheLoop) {
    auto& application = desktop().application();
    auto& main = desktop().main();
    ScriptedDelegate delegate;
    // 1. A request the delegate cancels: the loop runs on.
    // 2. SIGTERM: the delegate answers later, then says no.
    // 3. SIGINT: later again, then yes: the loop ends.
    delegate.replies = {platform::TerminateReply::cancel, platform::TerminateReply::later,
                        platform::TerminateReply::later};
    delegate.onLaunch = [&] {
        application.requestTerminate();
        main.after(0.1, [&] {
            delegate.calls.push_back("still running");
            ::kill(::getpid(), SIGTERM);
        });
        main.after(0.2, [&] {
            delegate.calls.push_back("reply no");
            application.replyToApplicationShouldTerminate(false);
            application.replyToApplicationShouldTerminate(true);  // no question pending: ignored
            ::kill(::getpid(), SIGINT);
            main.after(0.1, [&] {
                delegate.calls.push_back("reply yes");
                application.replyToApplicationShouldTerminate(true);
            });
        });
    };
    // Should the handshake break, don't hang the suite.
    auto guard = main.after(10.0, [] { gtk_main_quit(); });
    application.setDelegate(&delegate);
    const int status = application.run();
    guard->cancel();
    application.setDelegate(nullptr);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(delegate.calls,
              (std::vector<std::string>{"launched", "should terminate", "still running", "should terminate", "reply no",
                                        "should terminate", "reply yes", "will terminate"}));
}

// A client window of a pretend application, made active the way a window manager would.
class PretendApp {
public:
    PretendApp(long pid, const char* instance, const char* klass) {
        Display* display = xDisplay();
        window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        if (pid > 0) {
            const unsigned long value = static_cast<unsigned long>(pid);
            XChangeProperty(display, window_, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        }
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(klass)};
        XSetClassHint(display, window_, &hint);
        XFlush(display);
    }
    ~PretendApp() {
        XDestroyWindow(xDisplay(), window_);
        XFlush(xDisplay());
    }
    void activate() const { setActive(window_); }
    static void setActive(Window window) {
        Display* display = xDisplay();
        const unsigned long value = window;
        XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_ACTIVE_WINDOW", False),
                        XA_WINDOW, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XFlush(display);
    }

private:
    Window window_ = 0;
};

TEST(Application, TheFrontApplicationComesFromTheActiveWindow) {
    auto& application = desktop().application();
    std::vector<std::optional<platform::RunningApp>> seen;
    auto observer = application.observeFrontApplication(
        [&](const std::optional<platform::RunningApp>& app) { seen.push_back(app); });

    PretendApp editor(4242, "gedit", "Gedit");
    PretendApp secondEditorWindow(4242, "gedit", "Gedit");
    PretendApp mystery(0, "mystery", "Mystery");
    editor.activate();
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 1; }));
    ASSERT_TRUE(seen[0]);
    EXPECT_EQ(seen[0]->pid, 4242);
    EXPECT_EQ(seen[0]->name, "Gedit");
    ASSERT_TRUE(application.frontApplication());
    EXPECT_EQ(application.frontApplication()->pid, 4242);

    // Another window of the same application is no change of application.
    secondEditorWindow.activate();
    runFor(0.2);
    EXPECT_EQ(seen.size(), 1u);

    // A window that doesn't say its process: the front application is unknown.
    mystery.activate();
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_FALSE(seen[1]);
    EXPECT_FALSE(application.frontApplication());

    observer->cancel();
    editor.activate();
    runFor(0.2);
    EXPECT_EQ(seen.size(), 2u) << "a cancelled observer hears nothing";
    PretendApp::setActive(None);
}

// Switches the first monitor to a smaller mode and back, through RandR, the
// way a display settings tool does: the monitor first, then the screen size.
class MonitorMode {
public:
    MonitorMode() {
        Display* display = xDisplay();
        root_ = DefaultRootWindow(display);
        resources_ = XRRGetScreenResourcesCurrent(display, root_);
        if (!resources_ || resources_->noutput < 1 || resources_->ncrtc < 1) return;
        output_ = resources_->outputs[0];
        crtc_ = resources_->crtcs[0];
        XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources_, crtc_);
        if (!info) return;
        original_ = info->mode;
        width_ = static_cast<int>(info->width);
        screenWidth_ = WidthOfScreen(DefaultScreenOfDisplay(display));
        height_ = static_cast<int>(info->height);
        XRRFreeCrtcInfo(info);
        static char name[] = "nimbo-test-1280x720";
        XRRModeInfo mode{};
        mode.width = 1280;
        mode.height = 720;
        mode.dotClock = 74250000;
        mode.hSyncStart = 1390;
        mode.hSyncEnd = 1430;
        mode.hTotal = 1650;
        mode.vSyncStart = 725;
        mode.vSyncEnd = 730;
        mode.vTotal = 750;
        mode.name = name;
        mode.nameLength = sizeof name - 1;
        small_ = XRRCreateMode(display, root_, &mode);
        XRRAddOutputMode(display, output_, small_);
        XSync(display, False);
    }
    ~MonitorMode() {
        if (!resources_) return;
        if (small_) {
            XRRDeleteOutputMode(xDisplay(), output_, small_);
            XRRDestroyMode(xDisplay(), small_);
        }
        XRRFreeScreenResources(resources_);
        XSync(xDisplay(), False);
    }
    bool usable() const { return small_ != 0 && original_ != 0; }
    bool shrink() { return apply(small_, 1280, 720); }
    bool restore() { return apply(original_, width_, height_); }

private:
    bool apply(RRMode mode, int width, int height) {
        Display* display = xDisplay();
        GdkDisplay* gdkDisplay = gdk_display_get_default();
        gdk_x11_display_error_trap_push(gdkDisplay);
        // Xlib's idea of the screen size lags until GDK reads the change, so keep our own.
        const bool growing = width > screenWidth_;
        screenWidth_ = width;
        if (growing) XRRSetScreenSize(display, root_, width, height, width * 254 / 960, height * 254 / 960);
        XRRSetCrtcConfig(display, resources_, crtc_, CurrentTime, 0, 0, mode, RR_Rotate_0, &output_, 1);
        if (!growing) XRRSetScreenSize(display, root_, width, height, width * 254 / 960, height * 254 / 960);
        XSync(display, False);
        return gdk_x11_display_error_trap_pop(gdkDisplay) == 0;
    }

    Window root_ = 0;
    XRRScreenResources* resources_ = nullptr;
    RROutput output_ = 0;
    RRCrtc crtc_ = 0;
    RRMode original_ = 0, small_ = 0;
    int width_ = 0, height_ = 0;
    int screenWidth_ = 0;
};

TEST(Application, DisplayChangesAreReportedOnce) {
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(xDisplay(), &eventBase, &errorBase)) GTEST_SKIP() << "no RandR on this server";
    MonitorMode modes;
    ASSERT_TRUE(modes.usable());
    auto& application = desktop().application();
    int changes = 0;
    auto observer = application.observeScreenParameters([&] { ++changes; });

    ASSERT_TRUE(modes.shrink());
    ASSERT_TRUE(waitUntil([&] { return changes >= 1; }));
    runFor(0.2);
    EXPECT_EQ(changes, 1) << "one change, one report";
    GdkRectangle area{};
    gdk_monitor_get_geometry(gdk_display_get_monitor(gdk_display_get_default(), 0), &area);
    EXPECT_EQ(area.width, 1280);

    ASSERT_TRUE(modes.restore());
    ASSERT_TRUE(waitUntil([&] { return changes >= 2; }));
    observer->cancel();
    runFor(0.2);
    const int before = changes;
    ASSERT_TRUE(modes.shrink());
    ASSERT_TRUE(modes.restore());
    runFor(0.3);
    EXPECT_EQ(changes, before) << "a cancelled observer hears nothing";
}

}  // namespace
}  // namespace nimbo::test
