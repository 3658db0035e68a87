// The control center of the nimbo program, reached as a user reaches it: from
// the panel item's "Settings…" entry, clicked through the item's D-Bus menu as
// a panel would. Its page stores preferences, a secret among them, and the
// shell brings the page back by itself when its server returns.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <signal.h>

#include <optional>

#include "Desktop.h"
#include "ScreenShot.h"
#include "TestKeyring.h"
#include "TestPanel.h"

namespace nimbo::test {
namespace {

// The shell's mapped window titled "nimbo" of the ordinary type, if there is one:
// the overlays are notification-typed and, untitled, carry the program's name too.
std::optional<Window> controlWindow() {
    std::optional<Window> found;
    // Windows come and go between the listing and the questions about them.
    gdk_x11_display_error_trap_push(gdk_display_get_default());
    for (Window window : topLevels()) {
        XWindowAttributes attributes{};
        char* name = nullptr;
        if (!found && XGetWindowAttributes(xDisplay(), window, &attributes) && attributes.map_state == IsViewable &&
            XFetchName(xDisplay(), window, &name) && name && std::string(name) == "nimbo" &&
            property(window, "_NET_WM_WINDOW_TYPE", "ATOM") ==
                std::vector<unsigned long>{atom("_NET_WM_WINDOW_TYPE_NORMAL")})
            found = window;
        if (name) XFree(name);
    }
    gdk_x11_display_error_trap_pop_ignored(gdk_display_get_default());
    return found;
}

// A user past the first launch, a panel, and the program.
class ControlCenterShell : public ::testing::Test {
protected:
    void SetUp() override { onboarded(home_); }

    // Starts the program against `origin` and opens its control center from
    // the panel item's "Settings…" entry.
    void openControlCenter(const std::string& origin, const std::string& name = "shell") {
        const size_t itemsBefore = panel_.items().size();
        shell_ = startShell(home_, origin, {}, name);
        ASSERT_TRUE(waitUntil([&] { return panel_.items().size() > itemsBefore || shell_->exited(); }, 30.0) &&
                    !shell_->exited())
            << "the shell never registered its panel item:\n"
            << log();
        ASSERT_FALSE(controlWindow()) << "the control center opens only when asked";
        // The shell rebuilds its menu when the overlay reports its personalities,
        // so an entry read just before that is gone when clicked; a panel reads
        // again on the layout's change, and so does this.
        for (int attempt = 0; attempt < 5; ++attempt) {
            const auto menu = panel_.menu(panel_.items().back());
            const auto settings = menu ? TestPanel::find(*menu, "Settings…") : std::nullopt;
            if (settings && panel_.click(panel_.items().back(), settings->id) &&
                waitUntil([] { return controlWindow().has_value(); }, 3.0))
                return;
        }
        FAIL() << "Settings… never opened the control center";
    }
    std::string log() const { return readFile(shellLog(home_)); }
    // Waits until the log holds `fragment` on a line; false if it never did.
    bool logSays(const std::string& fragment, double seconds = 30.0) const {
        return waitUntil([&] { return linesWith(log(), fragment) > 0; }, seconds);
    }
    // Counts the log's lines that hold each of `fragments`.
    std::vector<size_t> counted(const std::vector<std::string>& fragments) const {
        std::vector<size_t> counts;
        counts.reserve(fragments.size());
        for (const auto& fragment : fragments) counts.push_back(linesWith(log(), fragment));
        return counts;
    }
    void keepShot(const std::string& name) {
        runFor(1.5);  // the page paints a moment after it loaded
        const GdkRectangle at = serverGeometry(controlWindow().value_or(0));
        ScreenShot::of(at.x, at.y, at.width, at.height).keep(name);
    }
    void quit() {
        shell_->signal(SIGTERM);
        EXPECT_EQ(shell_->waitForExit(10.0), std::optional<int>(0)) << log();
    }

    TempDir home_;
    TestPanel panel_;
    std::unique_ptr<Child> shell_;
};

TEST_F(ControlCenterShell, KeepsPreferencesAndTheSecretInTheSecretStoreAcrossARestart) {
    TestKeyring keyring(home_.path());
    const std::string secret = "apps-secret-" + std::to_string(g_random_int());
    const std::string apps = R"({"token":")" + secret + R"("})";
    {
        DevServer server(
            {"--control-steps", R"([["setPref","apps",)" + apps + R"(],["setPref","profile",{"name":"Dev"}]])"});
        openControlCenter(server.origin(), "first");
        ASSERT_TRUE(logSays("step setPref profile")) << log() << server.log();
        EXPECT_EQ(
            counted({"nimbo: [control] step setPref apps → true", "nimbo: [control] step setPref profile → true"}),
            (std::vector<size_t>{1, 1}))
            << log();
        EXPECT_NE(server.log().find("GET /control -> 200"), std::string::npos) << server.log();
        keepShot("control-center");
        quit();
    }
    EXPECT_EQ(keyring.lookup("dev.nimbo.Shell", "nimbo.pref.apps"), apps);
    EXPECT_EQ(filesContaining(home_.path(), secret), std::vector<std::string>{});

    DevServer server({"--control-steps", R"([["pref","apps"],["pref","profile"]])"});
    openControlCenter(server.origin(), "second");
    ASSERT_TRUE(logSays("step pref profile")) << log() << server.log();
    EXPECT_EQ(counted({"nimbo: [control] step pref apps → " + apps,
                       R"(nimbo: [control] step pref profile → {"name":"Dev"})"}),
              (std::vector<size_t>{1, 1}))
        << log();
    quit();
}

TEST_F(ControlCenterShell, RefusesTheSecretWhereNoSecretServiceRuns) {
    DevServer server({"--control-steps", R"([["setPref","apps",["never-on-disk"]],["setPref","profile","kept"]])"});
    openControlCenter(server.origin());
    ASSERT_TRUE(logSays("step setPref profile")) << log() << server.log();
    EXPECT_EQ(counted({"nimbo: [control] step setPref apps → false",
                       "nimbo: no secret service answers on the session bus — the secret \"nimbo.pref.apps\" was "
                       "not stored",
                       "nimbo: [control] step setPref profile → true"}),
              (std::vector<size_t>{1, 1, 1}))
        << log();
    quit();
    EXPECT_EQ(filesContaining(home_.path(), "never-on-disk"), std::vector<std::string>{});
}

TEST_F(ControlCenterShell, ComesBackFromTheOfflinePageWhenItsServerReturns) {
    const int port = refusedPort();
    openControlCenter("http://127.0.0.1:" + std::to_string(port));
    ASSERT_TRUE(logSays("nimbo: the control center did not load (")) << log();
    keepShot("control-center-offline");

    DevServer server({"--port", std::to_string(port)});
    ASSERT_TRUE(logSays("nimbo: [control] control ready with the bridge", 40.0)) << log() << server.log();
    keepShot("control-center-back");
    quit();
}

}  // namespace
}  // namespace nimbo::test
