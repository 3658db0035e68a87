#include "platform/linux/system/JsonDefaults.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace nimbo::x11 {
namespace {

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The first of "x.corrupt", "x.corrupt.1", ... that doesn't exist yet, so an
// earlier kept copy is never overwritten.
std::string freeCorruptName(const std::string& path) {
    std::string candidate = path + ".corrupt";
    for (int n = 1; g_file_test(candidate.c_str(), G_FILE_TEST_EXISTS); ++n)
        candidate = path + ".corrupt." + std::to_string(n);
    return candidate;
}

}  // namespace

JsonDefaults::JsonDefaults(std::string path) : path_(std::move(path)) {}

std::string JsonDefaults::standardPath() {
    // g_get_user_config_dir follows $XDG_CONFIG_HOME and falls back to ~/.config,
    // but caches the answer; read the variable ourselves so tests can move it.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && home[0] ? home : g_get_home_dir()) + "/.config";
    }
    return folder + "/nimbo/defaults.json";
}

MaybeJson JsonDefaults::get(const std::string& key) const {
    std::lock_guard lock(mutex_);
    loadLocked();
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return *it;
}

void JsonDefaults::set(const std::string& key, const Json& value) {
    std::lock_guard lock(mutex_);
    loadLocked();
    values_[key] = value;
    saveLocked();
}

void JsonDefaults::remove(const std::string& key) {
    std::lock_guard lock(mutex_);
    loadLocked();
    if (values_.erase(key) > 0) saveLocked();
}

void JsonDefaults::loadLocked() const {
    if (loaded_) return;
    loaded_ = true;
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;  // no file yet: no defaults
    std::stringstream text;
    text << in.rdbuf();
    Json parsed = Json::parse(text.str(), nullptr, /*allow_exceptions=*/false);
    if (parsed.is_object()) {
        values_ = std::move(parsed);
        return;
    }
    // Keep the unreadable file for the user to inspect; start from empty defaults.
    const std::string aside = freeCorruptName(path_);
    if (std::rename(path_.c_str(), aside.c_str()) == 0) {
        std::fprintf(stderr, "nimbo: defaults file %s is not a JSON object — kept as %s\n", path_.c_str(),
                     aside.c_str());
    } else {
        std::fprintf(stderr, "nimbo: defaults file %s is not a JSON object and could not be moved aside — %s\n",
                     path_.c_str(), std::strerror(errno));
    }
}

void JsonDefaults::saveLocked() const {
    const std::string folder = folderOf(path_);
    g_mkdir_with_parents(folder.c_str(), 0700);

    // 1. Write the whole object to a fresh temporary file in the same folder.
    std::string temp = path_ + ".XXXXXX";
    const int fd = g_mkstemp_full(temp.data(), O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "nimbo: cannot write defaults to %s — %s\n", folder.c_str(), std::strerror(errno));
        return;
    }
    const std::string text = values_.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    // 2. Flush it to disk before it replaces the old file.
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    ::close(fd);
    // 3. Replace the old file in one step.
    if (!written || std::rename(temp.c_str(), path_.c_str()) != 0) {
        std::fprintf(stderr, "nimbo: cannot write defaults to %s — %s\n", path_.c_str(), std::strerror(errno));
        ::unlink(temp.c_str());
        return;
    }
    // 4. Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace nimbo::x11
