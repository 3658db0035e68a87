#pragma once
// Handing a prompt to the coding agent of the project behind a local page.
#include <optional>
#include <string>

namespace nimbo::ClaudeCode {

struct Target {
    std::string cwd;
    std::optional<std::string> session;
    std::string label;
    bool vscode = false;
};

// The agent's command-line tool; absent when it is not installed.
std::optional<std::string> cli();
// The project serving a page address; absent when none is found.
std::optional<Target> target(const std::optional<std::string>& page);
// (ok, why) of handing the prompt over.
std::pair<bool, std::optional<std::string>> open(const std::string& prompt, const Target& to);

}  // namespace nimbo::ClaudeCode
