#pragma once
// A home folder with the agent's conversation store, projects and a temporary
// folder, all under a fresh folder, named to the simulated desktop's
// environment as HOME and TMPDIR. The folder is made under /var/tmp: the
// conversations of projects under /tmp are never continued.
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "actions/ClaudeCode.h"
#include "platform/sim/SimPlatform.h"

extern char** environ;

namespace nimbo::testing {

// The bytes of a file, whole.
inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs a script with the system's shell, as a terminal would; its exit status.
inline int runWithShell(const std::string& script) {
    const char* argv[] = {"/bin/sh", script.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The NUL-terminated records the stand-in agent wrote: its directory, then its arguments.
inline std::vector<std::string> records(const std::filesystem::path& file) {
    std::vector<std::string> out;
    const std::string bytes = readBytes(file);
    for (std::size_t start = 0, end = 0; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
        out.push_back(bytes.substr(start, end - start));
    }
    return out;
}

class ClaudeProjects {
public:
    explicit ClaudeProjects(sim::SimPlatform& sim) : sim_(sim) {
        std::random_device seed;
        base_ = std::filesystem::path("/var/tmp") / ("nimbo-claude-test-" + std::to_string(seed()));
        std::filesystem::create_directories(home());
        std::filesystem::create_directories(temporary());
        sim.env.variables["HOME"] = home().string();
        sim.env.variables["TMPDIR"] = temporary().string();
    }

    ~ClaudeProjects() {
        std::error_code ignored;
        std::filesystem::remove_all(base_, ignored);
    }
    ClaudeProjects(const ClaudeProjects&) = delete;
    ClaudeProjects& operator=(const ClaudeProjects&) = delete;

    std::filesystem::path home() const { return base_ / "home"; }
    std::filesystem::path temporary() const { return base_ / "tmp"; }

    // A folder under the home, a git project unless told otherwise.
    std::string project(const std::string& path, bool git = true) const {
        auto dir = home() / path;
        std::filesystem::create_directories(git ? dir / ".git" : dir);
        return dir.string();
    }

    // A git project beside the home folder, its path shorter than the home's.
    std::string besideHome(const std::string& name) const {
        std::filesystem::create_directories(base_ / name / ".git");
        return (base_ / name).string();
    }

    // A conversation of the project at `dir`, last written `age` seconds ago,
    // whose first line names `cwd` (none when empty) and where it started.
    std::string conversation(const std::string& dir, const std::string& id, double age, const std::string& cwd = "",
                             const std::string& entrypoint = "cli") const {
        auto folder = home() / ".claude" / "projects" / ClaudeCode::encoded(dir);
        std::filesystem::create_directories(folder);
        auto file = folder / (id + ".jsonl");
        std::ofstream out(file, std::ios::binary);
        out << R"({"type":"user","entrypoint":")" << entrypoint << '"';
        if (!cwd.empty()) out << R"(,"cwd":")" << cwd << '"';
        out << "}\n";
        out.close();
        written(file, sim_.clockImpl.wallNow() - age);
        return file.string();
    }

    static void written(const std::filesystem::path& file, double secondsSince1970) {
        using namespace std::chrono;
        const sys_time<nanoseconds> at{duration_cast<nanoseconds>(duration<double>(secondsSince1970))};
        std::filesystem::last_write_time(file, file_clock::from_sys(at));
    }

    // An executable file of the given text.
    static void executable(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }

    // The agent installed where a user's own install puts it: a stand-in that
    // writes its working directory and each argument, NUL-terminated, to `record`.
    std::string installAgent(const std::filesystem::path& record) const {
        auto tool = home() / ".local" / "bin" / "claude";
        executable(tool, "#!/bin/sh\n{ printf '%s\\0' \"$PWD\"; for a; do printf '%s\\0' \"$a\"; done; } >> " +
                             ClaudeCode::quoted(record.string()) + "\n");
        return tool.string();
    }

private:
    sim::SimPlatform& sim_;
    std::filesystem::path base_;
};

}  // namespace nimbo::testing
