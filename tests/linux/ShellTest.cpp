// The nimbo program itself, started as a user would start it on this desktop:
// it reports ready in its log and quits cleanly on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <optional>
#include <regex>
#include <vector>

#include "Desktop.h"
#include "FakeSessionServices.h"

namespace nimbo::test {
namespace {

// The five report lines of the first launch in the log.
std::vector<std::string> reportIn(const std::string& log) {
    const auto lines = linesOf(log);
    for (size_t i = 0; i + 4 < lines.size(); ++i) {
        if (lines[i].rfind("nimbo (", 0) == 0) return {lines.begin() + long(i), lines.begin() + long(i) + 5};
    }
    return {};
}

TEST(Shell, ReportsReadyInItsLogAndQuitsOnSigterm) {
    DevServer server;
    TempDir home;
    const std::string log = shellLog(home);
    auto shell = startShell(home, server.origin());

    ASSERT_TRUE(waitUntil([&] { return reportIn(readFile(log)).size() == 5 || shell->exited(); }, 30.0))
        << "log so far:\n"
        << readFile(log);
    ASSERT_FALSE(shell->exited()) << "log:\n" << readFile(log);
    const std::string text = readFile(log);
    const auto report = reportIn(text);
    ASSERT_EQ(report.size(), 5u) << text;
    EXPECT_NE(report[0].find(" ready — "), std::string::npos) << report[0];
    EXPECT_NE(report[0].find(server.origin()), std::string::npos) << report[0];
    // The private desktop has a readable screen, an accessibility bus and XInput 2.
    EXPECT_EQ(report[1], "  screen recording: granted");
    EXPECT_EQ(report[2], "  accessibility:    granted");
    EXPECT_EQ(report[3], "  input monitoring: granted");
    EXPECT_EQ(report[4], "  hold ⌘⌥ and ask about your screen");
    // The banner comes first: "--- nimbo started 2026-12-05T08:34:56Z ---".
    EXPECT_TRUE(std::regex_search(text, std::regex(R"((^|\n)--- nimbo started \d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ ---\n)")))
        << text;

    // The quit gives up waiting for its work after 1.5 s; the wide margin
    // only tells a quit from a hang on a loaded machine.
    shell->signal(SIGTERM);
    const auto status = shell->waitForExit(10.0);
    ASSERT_TRUE(status) << "nimbo did not exit after SIGTERM";
    EXPECT_EQ(*status, 0);
}

// Another shell already running, as the session bus sees it, that quits as
// it is called: it sends SIGTERM to the caller, gives "dev.nimbo.Shell" up
// and answers that the name has no owner.
class QuittingShell {
public:
    QuittingShell() : bus_(ownSessionConnection()) {
        static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
            "<node><interface name='dev.nimbo.Shell'><method name='Reopen'/></interface></node>", nullptr);
        static const GDBusInterfaceVTable vtable = {onReopen, nullptr, nullptr, {}};
        g_dbus_connection_register_object(bus_.get(), "/dev/nimbo/Shell", node->interfaces[0], &vtable, this, nullptr,
                                          nullptr);
        owns_ = ownName(bus_.get(), "dev.nimbo.Shell");
    }
    ~QuittingShell() { g_dbus_connection_close_sync(bus_.get(), nullptr, nullptr); }
    bool owns_ = false;
    int reopens_ = 0;

private:
    static void onReopen(GDBusConnection* bus, const gchar* sender, const gchar*, const gchar*, const gchar*, GVariant*,
                         GDBusMethodInvocation* invocation, gpointer data) {
        ++static_cast<QuittingShell*>(data)->reopens_;
        auto daemon = [bus](const char* method, GVariant* parameters) {
            return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                               "org.freedesktop.DBus", method, parameters, G_VARIANT_TYPE("(u)"),
                                               G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        };
        if (GVariant* pid = daemon("GetConnectionUnixProcessID", g_variant_new("(s)", sender))) {
            guint32 caller = 0;
            g_variant_get(pid, "(u)", &caller);
            if (caller > 0) ::kill(static_cast<pid_t>(caller), SIGTERM);
            g_variant_unref(pid);
        }
        if (GVariant* released = daemon("ReleaseName", g_variant_new("(s)", "dev.nimbo.Shell")))
            g_variant_unref(released);
        g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.NameHasNoOwner",
                                                   "the shell has quit");
    }
    x11::GObjectPtr<GDBusConnection> bus_;
};

// The earliest moment a quit can be asked for with certainty that the program
// is running: while it waits on the session bus for a running shell's answer.
// That shell quits as it is called, so this launch becomes the shell.
TEST(Shell, ASigtermDuringStartUpEndsInTheQuitPath) {
    DevServer server;
    TempDir home;
    QuittingShell quitting;
    ASSERT_TRUE(quitting.owns_);
    const auto status = startShell(home, server.origin())->waitForExit(30.0);
    ASSERT_TRUE(status) << "killed by the signal, or still running; log:\n" << readFile(shellLog(home));
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(quitting.reopens_, 1);
    EXPECT_EQ(reportIn(readFile(shellLog(home))).size(), 5u) << "it launched, then quit:\n" << readFile(shellLog(home));
}

TEST(Shell, RefusesToStartWithoutADisplay) {
    TempDir home;
    const auto status = startShell(home, "http://127.0.0.1:9", {{"DISPLAY", ":987654"}})->waitForExit(10.0);
    ASSERT_TRUE(status);
    EXPECT_NE(*status, 0);
}

size_t readyReports(const TempDir& home) {
    return linesWith(readFile(shellLog(home)), "nimbo (shell) ready");
}

TEST(SecondLaunch, ReopensTheRunningShellAndLeavesWithoutStartingAnother) {
    DevServer server;
    TempDir home;
    const std::string log = shellLog(home);
    auto first = startShell(home, server.origin(), {}, "first");
    ASSERT_TRUE(waitUntil([&] { return readyReports(home) == 1 || first->exited(); }, 30.0)) << readFile(log);
    ASSERT_FALSE(first->exited()) << readFile(log);

    // Started for another server: it hands over before it opens the log or keeps its address.
    const std::string defaults = home.path() + "/config/nimbo/defaults.json";
    ASSERT_NE(readFile(defaults).find(server.origin()), std::string::npos) << readFile(defaults);
    const auto status = startShell(home, "http://second.invalid:3005", {}, "second")->waitForExit(15.0);
    ASSERT_TRUE(status) << "the second launch is still running:\n" << readFile(log);
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(readyReports(home), 1u) << readFile(log);
    EXPECT_EQ(linesWith(readFile(log), "--- nimbo started "), 1u) << readFile(log);
    EXPECT_EQ(readFile(defaults).find("second.invalid"), std::string::npos) << readFile(defaults);
    EXPECT_EQ(readFile(home.path() + "/second.stdout.txt"), "");
    EXPECT_FALSE(first->exited()) << "the running shell carries on";

    // Once the first has quit, a launch is the shell again.
    first->signal(SIGTERM);
    ASSERT_EQ(first->waitForExit(5.0), std::optional<int>(0));
    auto third = startShell(home, server.origin(), {}, "third");
    ASSERT_TRUE(waitUntil([&] { return readyReports(home) == 2 || third->exited(); }, 30.0)) << readFile(log);
    EXPECT_FALSE(third->exited()) << readFile(log);
    third->signal(SIGTERM);
    EXPECT_EQ(third->waitForExit(5.0), std::optional<int>(0));
}

TEST(SecondLaunch, WithoutASessionBusEveryLaunchRuns) {
    DevServer server;
    TempDir home;
    // An address nobody listens on, so no bus is reached and none is started.
    const std::vector<std::pair<std::string, std::string>> noBus = {
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.path() + "/no-bus"}};
    auto first = startShell(home, server.origin(), noBus, "first");
    ASSERT_TRUE(waitUntil([&] { return readyReports(home) == 1 || first->exited(); }, 30.0))
        << readFile(shellLog(home));
    auto second = startShell(home, server.origin(), noBus, "second");
    ASSERT_TRUE(waitUntil([&] { return readyReports(home) == 2 || second->exited(); }, 30.0))
        << readFile(shellLog(home));
    EXPECT_FALSE(first->exited());
    EXPECT_FALSE(second->exited()) << readFile(shellLog(home));
    for (auto* shell : {first.get(), second.get()}) {
        shell->signal(SIGTERM);
        EXPECT_EQ(shell->waitForExit(5.0), std::optional<int>(0));
    }
}

}  // namespace
}  // namespace nimbo::test
