#pragma once
// What the desktop tests share: the one backend of the process, waiting on
// the main loop with a deadline, and the loopback servers the tests own.
#include <gdk/gdk.h>
#include <gio/gio.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Platform.h"
#include "platform/Stdio.h"
#include "platform/Windows.h"
#include "platform/linux/glib/GObjectPtr.h"

typedef struct _XDisplay Display;

namespace nimbo::test {

// The backend made by main() for this test process.
platform::Platform& desktop();

// Runs the main loop until `condition` holds or `seconds` have passed on the
// platform clock; answers whether the condition held.
bool waitUntil(const std::function<bool()>& condition, double seconds = 10.0);

// Runs the main loop for `seconds` of the platform clock, for checks that
// something does NOT happen within a window.
void runFor(double seconds);

// Loads `url` and waits for the load to finish; false on failure or time-out.
bool loadPage(platform::WebView& web, const std::string& url);
// Runs an async function body in the page and waits for its answer.
platform::ScriptResult runScript(platform::WebView& web, const std::string& body,
                                 const Json& arguments = Json::object());

// A whole-monitor overlay window as the shell makes them: transparent,
// non-activating, above the others.
std::shared_ptr<platform::PageWindow> makeOverlayWindow(Rect frame);
// Whether the window is on screen.
bool mapped(platform::PageWindow& window);

// The backend's own X connection.
Display* xDisplay();

// Where the X server has a window: top-left root position and size.
GdkRectangle serverGeometry(unsigned long window);
// How many rectangles the window's input shape has: none is click-through.
int inputRectangles(unsigned long window);
// The window's bounding shape, its rectangles in window coordinates; absent while it has none.
std::optional<std::vector<GdkRectangle>> boundingShape(unsigned long window);

// The core's log lines, kept for the length of a test.
class LogLines final : public platform::Stdio {
public:
    LogLines();
    ~LogLines() override;
    LogLines(const LogLines&) = delete;
    LogLines& operator=(const LogLines&) = delete;
    bool outputIsTerminal() const override { return false; }
    std::optional<bool> outputIsCharacterDevice() const override { return false; }
    bool reopenOutput(const std::string&) override { return false; }
    bool reopenError(const std::string&) override { return false; }
    void setOutputBuffering(platform::Buffering) override {}
    void writeLine(const std::string& line) override { lines.push_back(line); }
    std::string logFolder() const override { return {}; }
    size_t count(const std::string& line) const { return std::count(lines.begin(), lines.end(), line); }

    std::vector<std::string> lines;
};

// A private folder removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
// The regular files under `folder`, at any depth, whose bytes contain `text`.
std::vector<std::string> filesContaining(const std::string& folder, const std::string& text);
void writeFile(const std::string& path, const std::string& text);

// Starts a program with the given environment additions (its output to the
// files named, when they are) and waits for it with a deadline.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
          const std::string& stdoutPath, const std::string& stderrPath = "");
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    void signal(int number);
    // The exit status once the process ended within `seconds`; absent otherwise
    // (or when it died of a signal).
    std::optional<int> waitForExit(double seconds);
    bool exited() const { return done_; }
    int pid() const;

private:
    x11::GObjectPtr<GSubprocess> process_;
    bool done_ = false;
};

// The reference server on a free loopback port, stopped on destruction.
class DevServer {
public:
    // `options` follow the loopback host, free port and data folder, e.g. {"--prompter"}.
    explicit DevServer(const std::vector<std::string>& options = {});
    ~DevServer();
    DevServer(const DevServer&) = delete;
    DevServer& operator=(const DevServer&) = delete;
    const std::string& origin() const { return origin_; }  // "http://127.0.0.1:PORT"
    // What it wrote to standard error so far: one "nimbo-devserver: GET TARGET -> STATUS" per request.
    std::string log() const;

private:
    TempDir folder_;
    std::unique_ptr<Child> process_;
    std::string origin_;
};

// A loopback port that accepts connections and never answers them.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A loopback port nobody listens on.
int refusedPort();

// Runs xrandr, as a display settings tool would; its output, or nothing when it failed.
std::optional<std::string> xrandr(const std::vector<std::string>& arguments);

// Starts openbox and waits until it manages the screen; null when it did not.
std::unique_ptr<Child> startOpenbox();

// The nimbo program started as a user would, against `origin`, with every
// folder it keeps under `home`; its standard output goes to home/NAME.stdout.txt.
std::unique_ptr<Child> startShell(const TempDir& home, const std::string& origin,
                                  const std::vector<std::pair<std::string, std::string>>& extra = {},
                                  const std::string& name = "shell");
// Where that program writes its log.
std::string shellLog(const TempDir& home);
// Makes `home` a user's past the first launch, whose first completed
// walk-through would otherwise open the control center by itself.
void onboarded(const TempDir& home);

// The lines of a text, and how many of them hold `fragment`.
std::vector<std::string> linesOf(const std::string& text);
std::size_t linesWith(const std::string& text, const std::string& fragment);

// The X side, on the backend's connection unless another is given: an atom,
// the root window, a window's format-32 property, and setting one.
unsigned long atom(const char* name);
unsigned long rootWindow();
std::vector<unsigned long> property(unsigned long window, const char* name, const char* type);
void setProperty(unsigned long window, const char* name, const char* type, const std::vector<unsigned long>& values,
                 Display* display = nullptr);
// The root's children from bottom to top: the stacking order without a window manager.
std::vector<unsigned long> topLevels();

// Whether some process owns `name` on the session bus.
bool nameOwned(const char* name);

// An application delegate that writes down what it is asked and answers quit
// requests from `replies` in turn, then with "now".
class RecordingDelegate : public platform::ApplicationDelegate {
public:
    std::function<void()> onLaunch;
    std::vector<platform::TerminateReply> replies;
    std::vector<std::string> calls;
    std::vector<bool> reopens;  // whether a window showed, for each reopen

    void applicationDidFinishLaunching() override;
    platform::TerminateReply applicationShouldTerminate() override;
    void applicationWillTerminate() override { calls.emplace_back("will terminate"); }
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;
};

}  // namespace nimbo::test
