#include "platform/linux/atspi/OpenFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace nimbo::atspi {
namespace {

// A process with more descriptors than this is read only that far.
constexpr int kMostDescriptors = 4096;

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Where the user's own settings, state and caches live: an application's
// configuration and logs are open while it runs, never what it shows.
std::vector<std::string> privateFolders() {
    std::vector<std::string> folders;
    auto add = [&](const char* variable, const char* underHome) {
        if (const char* set = std::getenv(variable); set && set[0] == '/') folders.push_back(std::string(set) + "/");
        if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
            folders.push_back(std::string(home) + "/" + underHome + "/");
        }
    };
    add("XDG_CONFIG_HOME", ".config");
    add("XDG_CACHE_HOME", ".cache");
    add("XDG_STATE_HOME", ".local/state");
    return folders;
}

bool neverShown(const std::string& path, const std::vector<std::string>& privates) {
    static const char* const kSystem[] = {
        "/dev/",       "/proc/",      "/sys/", "/run/",   "/var/log/",         "/var/cache/",       "/var/lib/",
        "/usr/lib/",   "/usr/lib64/", "/lib/", "/lib64/", "/usr/share/fonts/", "/usr/share/icons/", "/usr/share/mime/",
        "/etc/fonts/", "/memfd:"};
    for (const char* prefix : kSystem) {
        if (startsWith(path, prefix)) return true;
    }
    for (const std::string& folder : privates) {
        if (startsWith(path, folder)) return true;
    }
    const std::string lower = lowered(path);
    if (lower.find("/cache/") != std::string::npos || lower.find("/.cache/") != std::string::npos) return true;
    const std::string name = lower.substr(lower.rfind('/') + 1);
    if (endsWith(name, ".so") || name.find(".so.") != std::string::npos) return true;
    for (const char* kind :
         {".ttf", ".otf", ".ttc", ".pcf", ".pcf.gz", ".pfb", ".woff", ".woff2", ".cache", ".log", ".lock"}) {
        if (endsWith(name, kind)) return true;
    }
    return false;
}

bool wordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Whether `name` shows in the title as a whole, not as the tail or head of
// a longer word ("photo.png" does not show "o.png").
bool shows(const std::string& title, const std::string& name) {
    if (name.empty()) return false;
    for (size_t at = title.find(name); at != std::string::npos; at = title.find(name, at + 1)) {
        const bool before = at == 0 || !wordCharacter(title[at - 1]) || !wordCharacter(name.front());
        const size_t end = at + name.size();
        const bool after = end == title.size() || !wordCharacter(title[end]) || !wordCharacter(name.back());
        if (before && after) return true;
    }
    return false;
}

std::string stem(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

std::optional<std::string> openFileNamedIn(int pid, const std::string& title, Deadline deadline) {
    if (pid <= 0 || title.empty()) return std::nullopt;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* listing = opendir(folder.c_str());
    if (!listing) return std::nullopt;
    const int folderFd = dirfd(listing);
    const auto privates = privateFolders();

    std::optional<std::string> byName;
    size_t byNameLength = 0;
    std::vector<std::string> byStem;
    int seen = 0;
    while (dirent* entry = readdir(listing)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
        if (++seen > kMostDescriptors || (seen % 64 == 0 && std::chrono::steady_clock::now() >= deadline)) break;
        char target[4096];
        const ssize_t length = readlinkat(folderFd, entry->d_name, target, sizeof target - 1);
        // Sockets, pipes and anonymous files read as "socket:[…]" and the like.
        if (length <= 0 || target[0] != '/') continue;
        const std::string path(target, static_cast<size_t>(length));
        if (neverShown(path, privates)) continue;
        const std::string name = path.substr(path.rfind('/') + 1);
        const bool whole = shows(title, name);
        if (!whole && !shows(title, stem(name))) continue;
        if (whole && byName && byNameLength >= name.size()) continue;
        // Through the descriptor, with the attributes the kernel holds: a
        // file on a network or user-space file system that hangs is not asked.
        struct statx facts {};
        if (statx(folderFd, entry->d_name, AT_STATX_DONT_SYNC, STATX_TYPE | STATX_NLINK, &facts) != 0) continue;
        if (!S_ISREG(facts.stx_mode) || facts.stx_nlink == 0) continue;
        if (whole) {
            byName = path;
            byNameLength = name.size();
        } else if (std::find(byStem.begin(), byStem.end(), path) == byStem.end()) {
            byStem.push_back(path);
        }
    }
    closedir(listing);
    if (byName) return fileUrl(*byName);
    if (byStem.size() == 1) return fileUrl(byStem.front());
    return std::nullopt;
}

std::optional<std::string> documentAddress(const std::string& stated) {
    if (stated.empty()) return std::nullopt;
    if (stated.front() == '/') return fileUrl(stated);
    const size_t colon = stated.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(stated.front()))) {
        return std::nullopt;
    }
    for (size_t i = 1; i < colon; ++i) {
        const char c = stated[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    return stated;
}

std::optional<std::string> fileUrl(const std::string& path) {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri) return std::nullopt;
    std::string out = uri;
    g_free(uri);
    return out;
}

}  // namespace nimbo::atspi
