// Finding the project a prompt goes to, and how the offer card names it.
#include "actions/ClaudeCode.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cmath>
#include <set>
#include <system_error>

#include "actions/ClaudePlaces.h"
#include "actions/Desktop.h"
#include "base/Url.h"

namespace nimbo::ClaudeCode {
namespace {

namespace fs = std::filesystem;

// Where the tool's installers put it: system-wide first, then the user's own.
constexpr const char* kSystemPlaces[] = {"/usr/local/bin/claude", "/opt/homebrew/bin/claude"};
constexpr const char* kHomePlaces[] = {"/.claude/local/claude", "/.local/bin/claude", "/.npm-global/bin/claude"};
// A distribution's package, looked at last.
constexpr const char* kPackagedPlace = "/usr/bin/claude";

bool isExecutableFile(const std::string& path) {
    std::error_code error;
    const auto status = fs::status(path, error);
    if (error || !fs::is_regular_file(status)) return false;
    constexpr auto anyExecute = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    return (status.permissions() & anyExecute) != fs::perms::none;
}

// The names of this machine: loopback by name, IPv4 loopback and unspecified, IPv6 loopback.
bool isLocalHost(const std::string& host) {
    static const std::set<std::string> names = {"localhost", "127.0.0.1", "0.0.0.0", "::1", "[::1]"};
    return names.contains(host);
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string lastComponent(const std::string& dir) {
    auto path = withoutTrailingSlashes(dir);
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || path.size() == 1) return path;
    return path.substr(slash + 1);
}

std::string ageWords(double seconds) {
    const auto minutes = static_cast<long long>(std::floor(std::max(0.0, seconds) / 60));
    if (minutes < 1) return "just now";
    if (minutes < 60) return std::to_string(minutes) + "m ago";
    if (minutes < 1440) return std::to_string(minutes / 60) + "h ago";
    return std::to_string(minutes / 1440) + "d ago";
}

Target targetOf(const std::string& root, const std::optional<Session>& session) {
    const bool vscode = session && inVSCode(session->url);
    return {root, session ? std::optional(session->id) : std::nullopt,
            label(root, vscode, session ? std::optional(session->at) : std::nullopt), vscode};
}

}  // namespace

std::optional<std::string> cli() {
    for (const char* place : kSystemPlaces) {
        if (isExecutableFile(place)) return place;
    }
    if (auto user = home()) {
        for (const char* place : kHomePlaces) {
            if (isExecutableFile(*user + place)) return *user + place;
        }
    }
    if (isExecutableFile(kPackagedPlace)) return kPackagedPlace;
    return std::nullopt;
}

std::optional<Target> target(const std::optional<std::string>& page) {
    auto address = page ? Url::parse(*page) : std::nullopt;
    if (address && isLocalHost(address->hostLowered())) {
        if (auto port = address->port()) {
            auto dir = listener(*port);
            auto root = dir ? projectRoot(*dir) : std::nullopt;
            if (root) return targetOf(*root, latest(*root));
        }
    }
    if (auto found = latestAnywhere()) return targetOf(found->cwd, found);
    return std::nullopt;
}

std::optional<std::string> listener(int port) {
    auto& processes = Actions::desktop().processes();
    auto pid = processes.listener(port);
    if (!pid) return std::nullopt;
    return processes.workingDirectory(*pid);
}

std::optional<std::string> projectRoot(const std::string& dir) {
    // Up to the home folder, not into it; outside the home, up to the top
    // folder, not into it. (Comparing lengths alone would stop a project
    // outside the home short whenever its path is shorter than the home's.)
    const std::string start = withoutTrailingSlashes(dir);
    const fs::path stop = home().value_or("/");
    std::error_code error;
    for (fs::path path = start; path != stop && path.has_relative_path(); path = path.parent_path()) {
        if (fs::exists(path / ".git", error)) return path.string();
    }
    if (fs::is_directory(start, error)) return start;
    return std::nullopt;
}

std::string label(const std::string& dir, bool vscode, std::optional<double> at) {
    const std::string name = lastComponent(dir);
    if (!at) return name + " · a new Claude session";
    const double age = wallNow() - *at;
    if (vscode) {
        const auto minutes = static_cast<long long>(std::floor(std::max(0.0, age) / 60));
        if (minutes < 10) return name + " · your VS Code session";
        const auto spoken = minutes < 60 ? std::to_string(minutes) + "m" : std::to_string(minutes / 60) + "h";
        return name + " · your VS Code session from " + spoken + " ago";
    }
    return name + " · Claude session from " + ageWords(age);
}

std::string encoded(const std::string& dir) {
    // Letters and digits of any script stay; every other character, and every
    // byte that is no character, becomes "-".
    std::string out;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(dir.data());
    const auto length = static_cast<std::int32_t>(dir.size());
    for (std::int32_t at = 0; at < length;) {
        const std::int32_t start = at;
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        const bool kept = c >= 0 && ((U_GET_GC_MASK(c) & U_GC_L_MASK) != 0 || u_isdigit(c));
        out += kept ? dir.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(at - start)) : "-";
    }
    return out;
}

}  // namespace nimbo::ClaudeCode
