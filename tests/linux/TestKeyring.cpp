#include "TestKeyring.h"

#include <sys/prctl.h>
#include <sys/stat.h>

#include <csignal>
#include <stdexcept>
#include <vector>

#include "Desktop.h"

namespace nimbo::test {
namespace {

void dieWithParent(gpointer) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
}

// Runs secret-tool with the keyring's environment; its output when it succeeded.
std::optional<std::string> secretTool(const std::string& home, const std::vector<std::string>& arguments) {
    TempDir scratch;
    std::vector<std::string> argv{"secret-tool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Child tool(argv, {{"HOME", home}}, scratch.path() + "/out.txt");
    if (tool.waitForExit(10.0) != std::optional<int>(0)) return std::nullopt;
    return readFile(scratch.path() + "/out.txt");
}

}  // namespace

TestKeyring::TestKeyring(const std::string& home) : home_(home) {
    const std::string run = home + "/run";
    g_mkdir_with_parents((home + "/data").c_str(), 0700);
    g_mkdir_with_parents(run.c_str(), 0700);
    auto launcher = x11::GObjectPtr<GSubprocessLauncher>::adopt(
        g_subprocess_launcher_new(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDIN_PIPE)));
    g_subprocess_launcher_set_child_setup(launcher.get(), dieWithParent, nullptr, nullptr);
    g_subprocess_launcher_setenv(launcher.get(), "HOME", home.c_str(), TRUE);
    g_subprocess_launcher_setenv(launcher.get(), "XDG_DATA_HOME", (home + "/data").c_str(), TRUE);
    g_subprocess_launcher_setenv(launcher.get(), "XDG_RUNTIME_DIR", run.c_str(), TRUE);
    g_subprocess_launcher_set_stderr_file_path(launcher.get(), (home + "/keyring.log").c_str());
    x11::GErrorPtr error;
    daemon_ = x11::GObjectPtr<GSubprocess>::adopt(
        g_subprocess_launcher_spawn(launcher.get(), error.out(), "gnome-keyring-daemon", "--foreground", "--unlock",
                                    "--components=secrets", nullptr));
    if (!daemon_) throw std::runtime_error(std::string("cannot start gnome-keyring-daemon: ") + error->message);
    // --unlock reads the login keyring's password up to the end of its input.
    GOutputStream* input = g_subprocess_get_stdin_pipe(daemon_.get());
    const char password[] = "nimbo-test";
    g_output_stream_write_all(input, password, sizeof password - 1, nullptr, nullptr, nullptr);
    g_output_stream_close(input, nullptr, nullptr);
    if (!waitUntil([] { return nameOwned("org.freedesktop.secrets"); }, 15.0)) {
        throw std::runtime_error("gnome-keyring-daemon did not take org.freedesktop.secrets:\n" +
                                 readFile(home + "/keyring.log"));
    }
}

TestKeyring::~TestKeyring() {
    g_subprocess_force_exit(daemon_.get());
    g_subprocess_wait(daemon_.get(), nullptr, nullptr);
    // Gone from the bus before the next test starts a keyring of its own.
    waitUntil([] { return !nameOwned("org.freedesktop.secrets"); }, 5.0);
}

std::optional<std::string> TestKeyring::lookup(const std::string& service, const std::string& account) const {
    return secretTool(home_, {"lookup", "service", service, "account", account});
}

void TestKeyring::lock() {
    // The daemon is another process, so a blocking call is safe here.
    auto bus = x11::GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    const gchar* login[] = {"/org/freedesktop/secrets/collection/login", nullptr};
    GVariant* reply = g_dbus_connection_call_sync(
        bus.get(), "org.freedesktop.secrets", "/org/freedesktop/secrets", "org.freedesktop.Secret.Service", "Lock",
        g_variant_new("(^ao)", login), G_VARIANT_TYPE("(aoo)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (!reply) throw std::runtime_error("the login keyring could not be locked");
    g_variant_unref(reply);
}

}  // namespace nimbo::test
