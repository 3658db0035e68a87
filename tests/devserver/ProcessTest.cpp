#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <regex>

#include <gtest/gtest.h>
#include <httplib.h>

#include "Options.h"

extern char** environ;

namespace {

struct Child {
    pid_t pid = -1;
    int out = -1;  // the child's standard output
};

Child spawnServer(std::vector<std::string> args) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    args.insert(args.begin(), NIMBO_DEVSERVER_BINARY);
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    Child child;
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    child.out = pipeEnds[0];
    return child;
}

// Blocks until the child writes a whole line (or closes its output).
std::string readLine(int fd) {
    std::string line;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

int exitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(DevserverProcess, AnnouncesItsPortServesAndStopsCleanlyOnSignals) {
    char pattern[] = "/tmp/nimbo-devserver-test-XXXXXX";
    std::string data = ::mkdtemp(pattern);
    for (int stopSignal : {SIGTERM, SIGINT}) {
        Child child = spawnServer({"--port", "0", "--data", data});
        ASSERT_GT(child.pid, 0);
        std::string line = readLine(child.out);
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, std::regex(R"(nimbo-devserver: listening on http://127\.0\.0\.1:(\d+))")))
            << line;
        httplib::Client http("127.0.0.1", std::stoi(m[1]));
        auto res = http.Get("/spatial/overlay?display=1");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        ::kill(child.pid, stopSignal);
        EXPECT_EQ(exitStatus(child.pid), 0) << "signal " << stopSignal;
        ::close(child.out);
    }
    std::filesystem::remove_all(data);
}

TEST(DevserverProcess, RefusesBadArgumentsAndABusyPort) {
    Child bad = spawnServer({"--port", "70000"});
    EXPECT_EQ(exitStatus(bad.pid), 2);
    ::close(bad.out);

    httplib::Server holder;
    int busy = holder.bind_to_any_port("127.0.0.1");
    Child second = spawnServer({"--port", std::to_string(busy), "--data", "/tmp"});
    EXPECT_EQ(readLine(second.out), "");  // no listening line
    EXPECT_EQ(exitStatus(second.pid), 1);
    ::close(second.out);
}

TEST(DevserverOptions, ParsesTheCommandLine) {
    std::string error;
    auto options = devserver::parseOptions({"--port", "0", "--data", "/tmp/x", "--host", "::1", "--prompter"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_TRUE(options->prompter);
    EXPECT_EQ(options->port, 0);
    EXPECT_EQ(options->host, "::1");
    EXPECT_EQ(options->data, "/tmp/x");
    EXPECT_EQ(devserver::parseOptions({"--control-steps", R"([ ["pref", "apps"] ])"}, error)->controlSteps,
              R"([["pref","apps"]])");

    auto defaults = devserver::parseOptions({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->host, "127.0.0.1");  // loopback unless asked
    EXPECT_EQ(defaults->port, 3005);
    EXPECT_FALSE(defaults->data.empty());
    EXPECT_FALSE(defaults->prompter);

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--port"},
                                                  {"--port", "3005x"},
                                                  {"--port", "-1"},
                                                  {"--data", ""},
                                                  {"--verbose"},
                                                  {"--control-steps", "{}"},
                                                  {"--control-steps", "[1"}}) {
        EXPECT_FALSE(devserver::parseOptions(wrong, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
