// The application object on a real desktop: its main loop and the quit
// handshake, the front application from the root window, and display changes.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <unistd.h>

#include <sstream>

#include "Desktop.h"

namespace nimbo::test {
namespace {

TEST(Application, QuitRequestsAskTheDelegateAndOnlyAYesEndsTheLoop) {
    auto& application = desktop().application();
    auto& main = desktop().main();
    RecordingDelegate delegate;
    // A request the delegate cancels: the loop runs on.
    // SIGTERM: the delegate answers later, then says no.
    // SIGINT: later again, then yes: the loop ends.
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
    PretendApp(unsigned long pid, const char* instance, const char* klass)
        : window_(XCreateSimpleWindow(xDisplay(), rootWindow(), 0, 0, 10, 10, 0, 0, 0)) {
        if (pid > 0) setProperty(window_, "_NET_WM_PID", "CARDINAL", {pid});
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(klass)};
        XSetClassHint(xDisplay(), window_, &hint);
    }
    ~PretendApp() { XDestroyWindow(xDisplay(), window_); }
    void activate() const { setActive(window_); }
    static void setActive(Window window) { setProperty(rootWindow(), "_NET_ACTIVE_WINDOW", "WINDOW", {window}); }

private:
    Window window_;
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

// A smaller mode for the first output, to switch to and back; dropped when done.
class MonitorMode {
public:
    MonitorMode() {
        for (const auto& line : linesOf(xrandr({"--query"}).value_or(""))) {
            if (output_.empty() && line.find(" connected") != std::string::npos) {
                output_ = line.substr(0, line.find(' '));
            } else if (!output_.empty() && original_.empty() && line.find('*') != std::string::npos) {
                std::istringstream(line) >> original_;
            }
        }
        usable_ = !original_.empty() &&
                  xrandr({"--newmode", kSmall, "74.25", "1280", "1390", "1430", "1650", "720", "725", "730", "750"}) &&
                  xrandr({"--addmode", output_, kSmall});
    }
    ~MonitorMode() {
        if (usable_ && xrandr({"--delmode", output_, kSmall})) xrandr({"--rmmode", kSmall});
    }
    bool usable() const { return usable_; }
    bool shrink() { return xrandr({"--output", output_, "--mode", kSmall}).has_value(); }
    bool restore() { return xrandr({"--output", output_, "--mode", original_}).has_value(); }

private:
    static constexpr const char* kSmall = "nimbo-test-1280x720";
    std::string output_, original_;
    bool usable_ = false;
};

TEST(Application, DisplayChangesAreReportedOnce) {
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
