#include "Desktop.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <arpa/inet.h>
#include <gdk/gdkx.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/Log.h"
#include "platform/linux/gtk/WebPageWindow.h"
#include "platform/linux/x11/XProperties.h"

namespace nimbo::test {

bool waitUntil(const std::function<bool()>& condition, double seconds) {
    auto& clock = desktop().clock();
    const double deadline = clock.now() + seconds;
    // A 10 ms tick keeps the loop waking up so the deadline is noticed even
    // when nothing else happens; everything else is real events.
    const guint tick = g_timeout_add(
        10, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    bool held = condition();
    while (!held && clock.now() < deadline) {
        g_main_context_iteration(nullptr, TRUE);
        held = condition();
    }
    g_source_remove(tick);
    return held;
}

void runFor(double seconds) {
    auto& clock = desktop().clock();
    const double until = clock.now() + seconds;
    waitUntil([&] { return clock.now() >= until; }, seconds + 1.0);
}

bool loadPage(platform::WebView& web, const std::string& url) {
    bool finished = false, failed = false;
    platform::WebView::Events events;
    events.finished = [&] { finished = true; };
    events.failed = [&](const platform::NavigationError&) { failed = true; };
    web.setEvents(events);
    web.load(url, 20.0);
    const bool ok = waitUntil([&] { return finished || failed; }, 30.0) && finished;
    web.setEvents({});
    return ok;
}

platform::ScriptResult runScript(platform::WebView& web, const std::string& body, const Json& arguments) {
    auto result = std::make_shared<platform::ScriptResult>();
    auto done = std::make_shared<bool>(false);
    web.callAsync(body, arguments, [result, done](const platform::ScriptResult& answer) {
        *result = answer;
        *done = true;
    });
    if (!waitUntil([&] { return *done; }, 10.0)) return {std::nullopt, std::string("no answer in time")};
    return *result;
}

std::shared_ptr<platform::PageWindow> makeOverlayWindow(Rect frame) {
    platform::PageWindowOptions options;
    options.frame = frame;
    options.title = "overlay";
    options.transparent = true;
    options.nonActivating = true;
    options.level = 1000;
    options.collectionBehavior = 337;
    return desktop().windows().makePageWindow(options);
}

bool mapped(platform::PageWindow& window) {
    return gtk_widget_get_mapped(GTK_WIDGET(dynamic_cast<x11::WebPageWindow&>(window).gtkWindow()));
}

int inputRectangles(unsigned long window) {
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(xDisplay(), window, ShapeInput, &count, &ordering);
    if (rectangles) XFree(rectangles);
    return count;
}

std::optional<std::vector<GdkRectangle>> boundingShape(unsigned long window) {
    int shaped = 0, clipShaped = 0, x = 0, y = 0, cx = 0, cy = 0;
    unsigned width = 0, height = 0, cw = 0, ch = 0;
    XShapeQueryExtents(xDisplay(), window, &shaped, &x, &y, &width, &height, &clipShaped, &cx, &cy, &cw, &ch);
    if (!shaped) return std::nullopt;
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(xDisplay(), window, ShapeBounding, &count, &ordering);
    std::vector<GdkRectangle> shape;
    shape.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        shape.push_back({rectangles[i].x, rectangles[i].y, rectangles[i].width, rectangles[i].height});
    if (rectangles) XFree(rectangles);
    return shape;
}

Display* xDisplay() {
    return GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
}

GdkRectangle serverGeometry(unsigned long window) {
    Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(xDisplay(), window, DefaultRootWindow(xDisplay()), 0, 0, &x, &y, &child);
    XWindowAttributes attributes{};
    XGetWindowAttributes(xDisplay(), window, &attributes);
    return {x, y, attributes.width, attributes.height};
}

LogLines::LogLines() {
    Log::attach(this);
}

LogLines::~LogLines() {
    Log::attach(nullptr);
}

TempDir::TempDir() {
    gchar* made = g_dir_make_tmp("nimbo-test-XXXXXX", nullptr);
    if (!made) throw std::runtime_error("cannot make a temporary folder");
    path_ = made;
    g_free(made);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> filesContaining(const std::string& folder, const std::string& text) {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored)) {
        if (entry.is_regular_file() && !entry.is_symlink() &&
            readFile(entry.path().string()).find(text) != std::string::npos)
            found.push_back(entry.path().string());
    }
    return found;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

DevServer::DevServer(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {
        NIMBO_DEVSERVER, "--host", "127.0.0.1", "--port", "0", "--data", folder_.path() + "/meetings"};
    argv.insert(argv.end(), options.begin(), options.end());
    const std::string out = folder_.path() + "/stdout.txt";
    process_ = std::make_unique<Child>(argv, std::vector<std::pair<std::string, std::string>>{}, out,
                                       folder_.path() + "/stderr.txt");
    // Its first line: "nimbo-devserver: listening on http://HOST:PORT".
    std::string said;
    waitUntil([&] { return (said = readFile(out)).find('\n') != std::string::npos || process_->exited(); }, 15.0);
    const auto at = said.find("http://"), end = said.find('\n');
    if (at == std::string::npos || end == std::string::npos) throw std::runtime_error("no devserver banner: " + said);
    origin_ = said.substr(at, end - at);
}

DevServer::~DevServer() = default;

std::string DevServer::log() const {
    return readFile(folder_.path() + "/stderr.txt");
}

SilentServer::SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 16) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot make a silent server");
    port_ = ntohs(address.sin_port);
}

SilentServer::~SilentServer() {
    if (fd_ >= 0) ::close(fd_);
}

int refusedPort() {
    // Bind to learn a free port, then close it: nothing listens there afterwards.
    SilentServer probe;
    return probe.port();
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
             const std::string& stdoutPath, const std::string& stderrPath) {
    auto launcher = x11::GObjectPtr<GSubprocessLauncher>::adopt(g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_NONE));
    for (const auto& [name, value] : env)
        g_subprocess_launcher_setenv(launcher.get(), name.c_str(), value.c_str(), TRUE);
    if (!stdoutPath.empty()) g_subprocess_launcher_set_stdout_file_path(launcher.get(), stdoutPath.c_str());
    if (!stderrPath.empty()) g_subprocess_launcher_set_stderr_file_path(launcher.get(), stderrPath.c_str());
    std::vector<const gchar*> args;
    args.reserve(argv.size() + 1);
    for (const auto& arg : argv) args.push_back(arg.c_str());
    args.push_back(nullptr);
    x11::GErrorPtr error;
    process_ =
        x11::GObjectPtr<GSubprocess>::adopt(g_subprocess_launcher_spawnv(launcher.get(), args.data(), error.out()));
    if (!process_) throw std::runtime_error(std::string("cannot start ") + argv.front() + ": " + error->message);
    g_subprocess_wait_async(
        process_.get(), nullptr, [](GObject*, GAsyncResult*, gpointer data) { *static_cast<bool*>(data) = true; },
        &done_);
}

Child::~Child() {
    if (!done_) {
        g_subprocess_force_exit(process_.get());
        waitUntil([&] { return done_; }, 10.0);
    }
}

int Child::pid() const {
    const gchar* id = g_subprocess_get_identifier(process_.get());
    return id ? std::atoi(id) : 0;
}

void Child::signal(int number) {
    g_subprocess_send_signal(process_.get(), number);
}

std::optional<int> Child::waitForExit(double seconds) {
    if (!waitUntil([&] { return done_; }, seconds)) return std::nullopt;
    if (!g_subprocess_get_if_exited(process_.get())) return std::nullopt;
    return g_subprocess_get_exit_status(process_.get());
}

std::optional<std::string> xrandr(const std::vector<std::string>& arguments) {
    TempDir scratch;
    std::vector<std::string> argv{"xrandr"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Child run(argv, {}, scratch.path() + "/out.txt");
    if (run.waitForExit(10.0) != std::optional<int>(0)) return std::nullopt;
    return readFile(scratch.path() + "/out.txt");
}

std::unique_ptr<Child> startOpenbox() {
    // A window manager that was killed leaves its mark on the root window;
    // only the new one's counts.
    XDeleteProperty(xDisplay(), rootWindow(), atom("_NET_SUPPORTING_WM_CHECK"));
    XSync(xDisplay(), False);
    auto openbox = std::make_unique<Child>(std::vector<std::string>{"openbox", "--sm-disable"},
                                           std::vector<std::pair<std::string, std::string>>{}, "");
    if (!waitUntil([] { return property(rootWindow(), "_NET_SUPPORTING_WM_CHECK", "WINDOW").size() == 1; }, 20.0))
        return nullptr;

    // It marks the screen as its own early in its start-up and drops the
    // windows mapped before it is done: it is ready once it frames one.
    auto frames = [] {
        Window probe = XCreateSimpleWindow(xDisplay(), rootWindow(), 0, 0, 10, 10, 0, 0, 0);
        XMapWindow(xDisplay(), probe);
        XSync(xDisplay(), False);
        const bool framed = waitUntil(
            [probe] {
                Window root = 0, parent = 0, *children = nullptr;
                unsigned int count = 0;
                if (!XQueryTree(xDisplay(), probe, &root, &parent, &children, &count)) return false;
                if (children) XFree(children);
                return parent != root;
            },
            0.5);
        XDestroyWindow(xDisplay(), probe);
        XSync(xDisplay(), False);
        return framed;
    };
    return waitUntil(frames, 20.0) ? std::move(openbox) : nullptr;
}

std::unique_ptr<Child> startShell(const TempDir& home, const std::string& origin,
                                  const std::vector<std::pair<std::string, std::string>>& extra,
                                  const std::string& name) {
    std::vector<std::pair<std::string, std::string>> env = {{"NIMBO_URL", origin},
                                                            {"HOME", home.path()},
                                                            {"XDG_STATE_HOME", home.path() + "/state"},
                                                            {"XDG_CONFIG_HOME", home.path() + "/config"},
                                                            {"XDG_DATA_HOME", home.path() + "/data"},
                                                            {"XDG_CACHE_HOME", home.path() + "/cache"}};
    env.insert(env.end(), extra.begin(), extra.end());
    return std::make_unique<Child>(std::vector<std::string>{NIMBO_BINARY}, env,
                                   home.path() + "/" + name + ".stdout.txt");
}

void onboarded(const TempDir& home) {
    g_mkdir_with_parents((home.path() + "/config/nimbo").c_str(), 0700);
    writeFile(home.path() + "/config/nimbo/defaults.json", R"({"nimbo.onboarded": true})");
}

std::string shellLog(const TempDir& home) {
    return home.path() + "/state/nimbo/nimbo.log";
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::size_t linesWith(const std::string& text, const std::string& fragment) {
    const auto lines = linesOf(text);
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
}

unsigned long atom(const char* name) {
    return XInternAtom(xDisplay(), name, False);
}

unsigned long rootWindow() {
    return DefaultRootWindow(xDisplay());
}

std::vector<unsigned long> property(unsigned long window, const char* name, const char* type) {
    return x11::windowProperty(xDisplay(), window, atom(name), atom(type));
}

void setProperty(unsigned long window, const char* name, const char* type, const std::vector<unsigned long>& values,
                 Display* display) {
    if (!display) display = xDisplay();
    XChangeProperty(display, window, XInternAtom(display, name, False), XInternAtom(display, type, False), 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(values.data()),
                    static_cast<int>(values.size()));
    XSync(display, False);
}

std::vector<unsigned long> topLevels() {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<unsigned long> list;
    if (XQueryTree(xDisplay(), rootWindow(), &root, &parent, &children, &count) && children) {
        list.assign(children, children + count);
        XFree(children);
    }
    return list;
}

bool nameOwned(const char* name) {
    auto bus = x11::GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    GVariant* reply = g_dbus_connection_call_sync(
        bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (!reply) return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

void RecordingDelegate::applicationDidFinishLaunching() {
    calls.emplace_back("launched");
    if (onLaunch) onLaunch();
}

platform::TerminateReply RecordingDelegate::applicationShouldTerminate() {
    calls.emplace_back("should terminate");
    if (replies.empty()) return platform::TerminateReply::now;
    const auto reply = replies.front();
    replies.erase(replies.begin());
    return reply;
}

bool RecordingDelegate::applicationShouldHandleReopen(bool hasVisibleWindows) {
    calls.emplace_back("reopen");
    reopens.push_back(hasVisibleWindows);
    return true;
}

}  // namespace nimbo::test
