// The agent's conversation store: a folder per project under
// ~/.claude/projects, one ".jsonl" file per conversation. Only read here.
#include <algorithm>
#include <system_error>
#include <vector>

#include "actions/ClaudeCode.h"
#include "actions/ClaudePlaces.h"
#include "actions/Desktop.h"

namespace nimbo::ClaudeCode {
namespace {

namespace fs = std::filesystem;

// Read that far into a conversation for its working directory, and for where it started.
constexpr std::size_t kCwdBytes = 262144;
constexpr std::size_t kEntrypointBytes = 65536;

std::optional<fs::path> store() {
    auto user = home();
    if (!user) return std::nullopt;
    return fs::path(*user) / ".claude" / "projects";
}

Session sessionOf(const std::string& file, double at, const std::string& cwd) {
    return {fs::path(file).stem().string(), cwd, at, file};
}

bool beginsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

std::optional<std::pair<std::string, double>> newest(const std::string& folder) {
    std::optional<std::pair<std::string, double>> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        if (entry->path().extension() != ".jsonl" || !entry->is_regular_file(error)) continue;
        auto at = writtenAt(entry->path());
        if (!at) continue;
        // Equal times go to the greater name, so the answer does not depend on listing order.
        const auto path = entry->path().string();
        if (!found || *at > found->second || (*at == found->second && path > found->first)) found = {{path, *at}};
    }
    return found;
}

std::optional<Session> latest(const std::string& root) {
    auto folder = store();
    if (!folder) return std::nullopt;
    auto found = newest((*folder / encoded(root)).string());
    if (!found || wallNow() - found->second >= kRecent) return std::nullopt;
    return sessionOf(found->first, found->second, root);
}

std::optional<Session> latestAnywhere() {
    auto folder = store();
    if (!folder) return std::nullopt;
    const double now = wallNow();
    std::vector<std::pair<std::string, double>> recent;
    std::error_code error;
    for (fs::directory_iterator entry(*folder, error), end; !error && entry != end; entry.increment(error)) {
        auto found = newest(entry->path().string());
        if (found && now - found->second < kRecent) recent.push_back(*found);
    }
    std::sort(recent.begin(), recent.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first > b.first;
    });
    if (recent.size() > kLookedAt) recent.resize(kLookedAt);
    for (const auto& [file, at] : recent) {
        auto cwd = cwdOf(file);
        // A relative directory would be taken from wherever the shell runs.
        if (!cwd || !beginsWith(*cwd, "/") || beginsWith(*cwd, "/private/tmp") || beginsWith(*cwd, "/tmp")) {
            continue;
        }
        auto root = projectRoot(*cwd);
        if (!root || !fs::exists(fs::path(*root) / ".git", error)) continue;
        return sessionOf(file, at, *root);
    }
    return std::nullopt;
}

std::optional<std::string> cwdOf(const std::string& file) {
    // The first "cwd":"..." whose value holds no double quote. Searched as
    // bytes: a prefix cut inside a character still shows the marker.
    static const std::string marker = "\"cwd\":\"";
    const std::string text = head(file, kCwdBytes);
    const auto start = text.find(marker);
    if (start == std::string::npos) return std::nullopt;
    const auto value = start + marker.size();
    const auto end = text.find('"', value);
    if (end == std::string::npos) return std::nullopt;
    return text.substr(value, end - value);
}

bool inVSCode(const std::string& file) {
    return Actions::desktop().workspace().hasApplication("com.microsoft.VSCode") &&
           head(file, kEntrypointBytes).find("\"entrypoint\":\"claude-vscode\"") != std::string::npos;
}

}  // namespace nimbo::ClaudeCode
