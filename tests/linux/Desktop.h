#pragma once
// What the desktop tests share: the one backend of the process, waiting on
// the main loop with a deadline, and the loopback servers the tests own.
#include <gio/gio.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::test {

// The backend made by main() for this test process.
platform::Platform& desktop();

// Runs the main loop until `condition` holds or `seconds` have passed on the
// platform clock; answers whether the condition held.
bool waitUntil(const std::function<bool()>& condition, double seconds = 10.0);

// Runs the main loop for `seconds` of the platform clock, for checks that
// something does NOT happen within a window.
void runFor(double seconds);

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
void writeFile(const std::string& path, const std::string& text);

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
    x11::GObjectPtr<GSubprocess> process_;
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

// Starts a program with the given environment additions and waits for it with a deadline.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
          const std::string& stdoutPath);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    void signal(int number);
    // The exit status once the process ended within `seconds`; absent otherwise
    // (or when it died of a signal).
    std::optional<int> waitForExit(double seconds);
    bool exited() const { return done_; }

private:
    x11::GObjectPtr<GSubprocess> process_;
    bool done_ = false;
};

}  // namespace nimbo::test
