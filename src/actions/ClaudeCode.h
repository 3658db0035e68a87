#pragma once
// Handing a prompt to the coding agent of the project behind a local page: the
// process listening on the page's port, its working directory, the project
// root above it, and the project's most recent conversation, continued as a
// fork in a terminal or in the agent's VS Code extension.
#include <optional>
#include <string>
#include <utility>

namespace nimbo::ClaudeCode {

struct Target {
    std::string cwd;
    std::optional<std::string> session;
    std::string label;
    bool vscode = false;
};

// A conversation in the agent's store.
struct Session {
    std::string id;
    std::string cwd;
    double at = 0;  // last written, seconds since 1970
    std::string url;
};

// Conversations this old or older are not continued.
constexpr double kRecent = 604800;
// How many recent conversations the search across projects looks at.
constexpr std::size_t kLookedAt = 12;

// The agent's command-line tool; absent when it is not installed.
std::optional<std::string> cli();
// The project serving a page address; absent when none is found.
std::optional<Target> target(const std::optional<std::string>& page);
// (ok, why) of handing the prompt over.
std::pair<bool, std::optional<std::string>> open(const std::string& prompt, const Target& to);

// The steps.
std::optional<std::string> listener(int port);
std::optional<std::string> projectRoot(const std::string& dir);
// The folder's newest conversation file and when it was last written.
std::optional<std::pair<std::string, double>> newest(const std::string& folder);
std::optional<Session> latest(const std::string& root);
std::optional<Session> latestAnywhere();
std::optional<std::string> cwdOf(const std::string& file);
bool inVSCode(const std::string& file);
std::string label(const std::string& dir, bool vscode, std::optional<double> at);
// The store's folder name for a project directory.
std::string encoded(const std::string& dir);
// `text` as one word for a POSIX shell, seen by it unchanged.
std::string quoted(const std::string& text);
// What reaches the agent of a prompt handed over: no argument can hold a NUL
// byte, and the shell's command substitution drops trailing line feeds.
std::string deliverable(const std::string& prompt);

}  // namespace nimbo::ClaudeCode
