#include "platform/linux/system/ProcProcesses.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace nimbo::x11 {
namespace {

// The kernel's number for a socket in the LISTEN state.
constexpr const char* kListening = "0A";

// The inodes of the sockets listening on `port` in one of the kernel's tables.
// A row: "sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode ...",
// the local address as hexadecimal address ":" hexadecimal port.
void listeningInodes(const char* table, int port, std::set<unsigned long>& inodes) {
    std::ifstream in(table);
    std::string row;
    std::getline(in, row);  // the heading
    while (std::getline(in, row)) {
        std::istringstream fields(row);
        std::array<std::string, 10> field;
        for (auto& f : field) fields >> f;
        if (!fields || field[3] != kListening) continue;
        const auto colon = field[1].rfind(':');
        if (colon == std::string::npos) continue;
        try {
            if (std::stoi(field[1].substr(colon + 1), nullptr, 16) != port) continue;
            const unsigned long inode = std::stoul(field[9]);
            if (inode != 0) inodes.insert(inode);
        } catch (const std::exception&) {
            continue;
        }
    }
}

std::vector<int> processIds() {
    std::vector<int> pids;
    DIR* proc = opendir("/proc");
    if (!proc) return pids;
    while (const dirent* entry = readdir(proc)) {
        const std::string name = entry->d_name;
        if (!name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            pids.push_back(std::stoi(name));
        }
    }
    closedir(proc);
    std::sort(pids.begin(), pids.end());
    return pids;
}

std::optional<std::string> link(const std::string& path) {
    std::array<char, 4096> target{};
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return std::nullopt;
    return std::string(target.data(), static_cast<std::size_t>(length));
}

bool holdsSocket(int pid, const std::set<std::string>& sockets) {
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* fds = opendir(folder.c_str());
    if (!fds) return false;  // another user's, or gone
    bool found = false;
    while (const dirent* entry = readdir(fds)) {
        if (entry->d_name[0] == '.') continue;
        auto target = link(folder + "/" + entry->d_name);
        if (target && sockets.contains(*target)) {
            found = true;
            break;
        }
    }
    closedir(fds);
    return found;
}

}  // namespace

std::optional<int> ProcProcesses::listener(int port) {
    std::set<unsigned long> inodes;
    listeningInodes("/proc/net/tcp", port, inodes);
    listeningInodes("/proc/net/tcp6", port, inodes);
    if (inodes.empty()) return std::nullopt;
    std::set<std::string> sockets;
    for (auto inode : inodes) sockets.insert("socket:[" + std::to_string(inode) + "]");
    // A socket shared by a server's workers: the lowest id, normally the one that made it.
    for (int pid : processIds()) {
        if (holdsSocket(pid, sockets)) return pid;
    }
    return std::nullopt;
}

std::optional<std::string> ProcProcesses::workingDirectory(int pid) {
    return link("/proc/" + std::to_string(pid) + "/cwd");
}

}  // namespace nimbo::x11
