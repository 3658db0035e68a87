// The control center of the nimbo program, reached as a user reaches it: from
// the panel item's "Settings…" entry, clicked through the item's D-Bus menu as
// a panel would. Its page stores preferences, a secret among them, and the
// shell brings the page back by itself when its server returns.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <signal.h>

#include <optional>
#include <sstream>

#include "Desktop.h"
#include "ScreenShot.h"
#include "TestKeyring.h"
#include "TestPanel.h"

namespace nimbo::test {
namespace {

size_t linesWith(const std::string& log, const std::string& text) {
    size_t count = 0;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.find(text) != std::string::npos) ++count;
    return count;
}

// The panel item the shell registered, once it has.
std::optional<TestPanel::Item> shellItem(TestPanel& panel, Child& shell) {
    if (!waitUntil([&] { return !panel.items().empty() || shell.exited(); }, 30.0) || shell.exited())
        return std::nullopt;
    return panel.items().back();
}

// Whether the window is an ordinary one: the overlays are notification-typed
// and, untitled, carry the program's name too.
bool ordinaryWindow(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool normal = false;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), 0, 1, False, XA_ATOM,
                           &type, &format, &count, &after, &data) == Success &&
        data && count == 1) {
        normal = *reinterpret_cast<Atom*>(data) == XInternAtom(display, "_NET_WM_WINDOW_TYPE_NORMAL", False);
    }
    if (data) XFree(data);
    return normal;
}

// The shell's mapped ordinary window titled "nimbo", if there is one.
std::optional<Window> controlWindow() {
    Display* display = xDisplay();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::optional<Window> found;
    // Windows come and go between the listing and the questions about them.
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gdkDisplay);
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
        return found;
    }
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes{};
        char* name = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            XFetchName(display, children[i], &name) && name && std::string(name) == "nimbo" &&
            ordinaryWindow(display, children[i]))
            found = children[i];
        if (name) XFree(name);
    }
    if (children) XFree(children);
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
    return found;
}

// The shell rebuilds its menu when the overlay reports its personalities, so
// an entry read just before that is gone when clicked; a panel reads again on
// the layout's change, and so does this, until the control center shows.
bool clickSettings(TestPanel& panel, const TestPanel::Item& item) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto menu = panel.menu(item);
        const auto settings = menu ? TestPanel::find(*menu, "Settings…") : std::nullopt;
        if (settings && panel.click(item, settings->id) && waitUntil([] { return controlWindow().has_value(); }, 3.0))
            return true;
    }
    return false;
}

void keepShotOf(Window window, const std::string& name) {
    runFor(1.5);  // the page paints a moment after it loaded
    const GdkRectangle at = serverGeometry(window);
    ScreenShot::of(at.x, at.y, at.width, at.height).keep(name);
}

bool quit(Child& shell) {
    shell.signal(SIGTERM);
    return shell.waitForExit(10.0) == std::optional<int>(0);
}

TEST(ControlCenterShell, KeepsPreferencesAndTheSecretInTheSecretStoreAcrossARestart) {
    TempDir home;
    onboarded(home);
    TestKeyring keyring(home.path());
    TestPanel panel;
    const std::string secret = "apps-secret-" + std::to_string(g_random_int());
    const std::string apps = R"({"token":")" + secret + R"("})";
    const std::string log = shellLog(home);
    {
        DevServer server(
            {"--control-steps", R"([["setPref","apps",)" + apps + R"(],["setPref","profile",{"name":"Dev"}]])"});
        auto shell = startShell(home, server.origin(), {}, "first");
        const auto item = shellItem(panel, *shell);
        ASSERT_TRUE(item) << "the shell never registered its panel item:\n" << readFile(log);
        ASSERT_FALSE(controlWindow()) << "the control center opens only when asked";
        ASSERT_TRUE(clickSettings(panel, *item));
        ASSERT_TRUE(waitUntil([&] { return linesWith(readFile(log), "step setPref profile") == 1; }, 30.0))
            << readFile(log);
        const std::string text = readFile(log);
        EXPECT_EQ(linesWith(text, "nimbo: [control] step setPref apps → true"), 1u) << text;
        EXPECT_EQ(linesWith(text, "nimbo: [control] step setPref profile → true"), 1u) << text;
        EXPECT_NE(server.log().find("GET /control -> 200"), std::string::npos) << server.log();
        const auto window = controlWindow();
        ASSERT_TRUE(window) << "no control center window on screen";
        keepShotOf(*window, "control-center");
        ASSERT_TRUE(quit(*shell)) << readFile(log);
    }
    EXPECT_EQ(keyring.lookup("dev.nimbo.Shell", "nimbo.pref.apps"), apps);
    EXPECT_EQ(filesContaining(home.path(), secret), std::vector<std::string>{});

    DevServer server({"--control-steps", R"([["pref","apps"],["pref","profile"]])"});
    auto shell = startShell(home, server.origin(), {}, "second");
    const size_t itemsBefore = panel.items().size();
    ASSERT_TRUE(waitUntil([&] { return panel.items().size() > itemsBefore || shell->exited(); }, 30.0));
    ASSERT_TRUE(clickSettings(panel, panel.items().back()));
    ASSERT_TRUE(waitUntil([&] { return linesWith(readFile(log), "step pref profile") == 1; }, 30.0)) << readFile(log);
    const std::string text = readFile(log);
    EXPECT_EQ(linesWith(text, "nimbo: [control] step pref apps → " + apps), 1u) << text;
    EXPECT_EQ(linesWith(text, R"(nimbo: [control] step pref profile → {"name":"Dev"})"), 1u) << text;
    ASSERT_TRUE(quit(*shell));
}

TEST(ControlCenterShell, RefusesTheSecretWhereNoSecretServiceRuns) {
    TempDir home;
    onboarded(home);
    TestPanel panel;
    const std::string log = shellLog(home);
    DevServer server({"--control-steps", R"([["setPref","apps",["never-on-disk"]],["setPref","profile","kept"]])"});
    auto shell = startShell(home, server.origin());
    const auto item = shellItem(panel, *shell);
    ASSERT_TRUE(item) << readFile(log);
    ASSERT_TRUE(clickSettings(panel, *item));
    ASSERT_TRUE(waitUntil([&] { return linesWith(readFile(log), "step setPref profile") == 1; }, 30.0))
        << readFile(log);
    const std::string text = readFile(log);
    EXPECT_EQ(linesWith(text, "nimbo: [control] step setPref apps → false"), 1u) << text;
    EXPECT_EQ(linesWith(text,
                        "nimbo: no secret service answers on the session bus — the secret \"nimbo.pref.apps\" was "
                        "not stored"),
              1u)
        << text;
    EXPECT_EQ(linesWith(text, "nimbo: [control] step setPref profile → true"), 1u) << text;
    ASSERT_TRUE(quit(*shell));
    EXPECT_EQ(filesContaining(home.path(), "never-on-disk"), std::vector<std::string>{});
}

TEST(ControlCenterShell, ComesBackFromTheOfflinePageWhenItsServerReturns) {
    TempDir home;
    onboarded(home);
    TestPanel panel;
    const int port = refusedPort();
    const std::string log = shellLog(home);
    auto shell = startShell(home, "http://127.0.0.1:" + std::to_string(port));
    const auto item = shellItem(panel, *shell);
    ASSERT_TRUE(item) << readFile(log);
    ASSERT_TRUE(clickSettings(panel, *item));
    ASSERT_TRUE(
        waitUntil([&] { return linesWith(readFile(log), "nimbo: the control center did not load (") >= 1; }, 30.0))
        << readFile(log);
    const auto window = controlWindow();
    ASSERT_TRUE(window) << "the offline page shows in the window";
    keepShotOf(*window, "control-center-offline");

    DevServer server({"--port", std::to_string(port)});
    ASSERT_TRUE(waitUntil(
        [&] { return linesWith(readFile(log), "nimbo: [control] control ready with the bridge") == 1; }, 40.0))
        << readFile(log);
    keepShotOf(*window, "control-center-back");
    ASSERT_TRUE(quit(*shell));
}

}  // namespace
}  // namespace nimbo::test
