// The hand-off to the coding agent on the real backend: the process listening
// on a loopback port found through /proc with its working directory, and a
// prompt run through the desktop's real terminal emulator.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "Desktop.h"
#include "actions/Actions.h"
#include "actions/ClaudeCode.h"
#include "platform/linux/system/ProcProcesses.h"

namespace nimbo::test {
namespace {

namespace fs = std::filesystem;

// An environment variable set for the length of a test.
class Variable {
public:
    Variable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~Variable() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

int listening(int family) {
    const int fd = socket(family, SOCK_STREAM, 0);
    sockaddr_storage address{};
    socklen_t length = 0;
    if (family == AF_INET) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof(sockaddr_in);
    } else {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        length = sizeof(sockaddr_in6);
    }
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 4) != 0) return -1;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    return ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                   : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
}

// A server started in `dir`, listening on loopback over IPv4 and IPv6 until it is let go.
class Server {
public:
    explicit Server(const std::string& dir) {
        int ready[2];
        int hold[2];
        if (pipe(ready) != 0 || pipe(hold) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(hold[1]);
            int ports[2] = {-1, -1};
            if (chdir(dir.c_str()) == 0) {
                ports[0] = listening(AF_INET);
                ports[1] = listening(AF_INET6);
            }
            if (write(ready[1], ports, sizeof ports) != sizeof ports) _exit(1);
            char byte = 0;
            (void)!read(hold[0], &byte, 1);
            _exit(0);
        }
        close(ready[1]);
        close(hold[0]);
        hold_ = hold[1];
        if (read(ready[0], ports_, sizeof ports_) != sizeof ports_) ports_[0] = ports_[1] = -1;
        close(ready[0]);
    }
    ~Server() { stop(); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    void stop() {
        if (pid_ <= 0) return;
        close(hold_);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }
    int pid() const { return pid_; }
    int v4() const { return ports_[0]; }
    int v6() const { return ports_[1]; }

private:
    int pid_ = 0;
    int hold_ = -1;
    int ports_[2] = {-1, -1};
};

TEST(ClaudeHandOffTest, TheProcessListeningOnALoopbackPortAndWhereItWorks) {
    TempDir base;
    const std::string project = fs::canonical(base.path()).string() + "/shop";
    fs::create_directories(project + "/.git");
    fs::create_directories(project + "/web");
    Server server(project + "/web");
    ASSERT_GT(server.v4(), 0);
    ASSERT_GT(server.v6(), 0);

    x11::ProcProcesses processes;
    EXPECT_EQ(processes.listener(server.v4()), server.pid());
    EXPECT_EQ(processes.listener(server.v6()), server.pid());
    EXPECT_EQ(processes.workingDirectory(server.pid()), project + "/web");

    // The whole way from a page's address to the project, on this desktop.
    Variable home("HOME", base.path() + "/home");
    Actions::attach(desktop());
    auto found = ClaudeCode::target("http://localhost:" + std::to_string(server.v4()) + "/cart");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->cwd, project);
    EXPECT_EQ(found->label, "shop · a new Claude session");
    EXPECT_EQ(ClaudeCode::target("http://[::1]:" + std::to_string(server.v6()) + "/")->cwd, project);

    const int gone = server.pid();
    server.stop();
    EXPECT_EQ(processes.listener(server.v4()), std::nullopt);
    EXPECT_EQ(processes.workingDirectory(gone), std::nullopt);
}

TEST(ClaudeHandOffTest, APromptRunsTheAgentInTheDesktopsTerminal) {
    TempDir base;
    const std::string& root = base.path();
    Variable home("HOME", root + "/home");
    Variable temporary("TMPDIR", root + "/tmp");
    const std::string record = root + "/record";
    const std::string agent = root + "/home/.local/bin/claude";
    fs::create_directories(fs::path(agent).parent_path());
    writeFile(agent, "#!/bin/sh\n{ printf '%s\\0' \"$PWD\"; for a; do printf '%s\\0' \"$a\"; done; } > '" + record +
                         ".part' && mv '" + record + ".part' '" + record + "'\n");
    fs::permissions(agent, fs::perms::owner_all);
    const std::string project = root + "/it's \"a\" project";
    fs::create_directories(project + "/.git");
    Actions::attach(desktop());
    LogLines log;

    ASSERT_TRUE(desktop().workspace().hasApplication("com.apple.Terminal"));
    const ClaudeCode::Target target{project, "s-1", "project · Claude session from 2m ago", false};
    const std::string prompt = "make the \"Buy\" button's $(colour) `blue`\n-- and *that* \\ too";
    ASSERT_EQ(ClaudeCode::open(prompt, target), std::make_pair(true, std::optional<std::string>()));
    EXPECT_EQ(log.lines,
              std::vector<std::string>{"nimbo: claude — opened project · Claude session from 2m ago (forked)"});
    ASSERT_TRUE(waitUntil([&] { return fs::exists(record); }, 20.0)) << "the terminal never ran the script";
    const std::string expected =
        project + '\0' + "--resume" + '\0' + "s-1" + '\0' + "--fork-session" + '\0' + "--" + '\0' + prompt + '\0';
    EXPECT_EQ(readFile(record), expected);

    // Without an emulator on the PATH there is no terminal to open.
    Variable path("PATH", root + "/empty");
    EXPECT_FALSE(desktop().workspace().hasApplication("com.apple.Terminal"));
    EXPECT_EQ(desktop().workspace().openInTerminal(agent), "no terminal emulator is installed");
}

}  // namespace
}  // namespace nimbo::test
