#include "screen/Menus.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include "base/Log.h"
#include "screen/Desktop.h"

namespace nimbo::Menus {

namespace {

// A read this recent is not repeated.
constexpr double kFresh = 90;
// Once this many processes are kept, those read this long ago are let go.
constexpr size_t kPruneAt = 24;
constexpr double kPruneAge = 600;

struct Entry {
    double at = 0;
    std::string app;
    Json commands = Json::array();
};

// Guards everything below; held only to check, copy and store, never during a read.
std::mutex& lock() {
    static std::mutex made;
    return made;
}
std::map<int, Entry> cache;
std::set<int> reading;
// Moves on when another desktop is attached: a read begun on the old one stores nothing.
unsigned long generation = 0;

// The ordinary applications are those with a window of their own on screen:
// background services, panels and docks show none, and window-less helpers
// have no menus worth reading.
bool regular(platform::Platform& desktop, int pid) {
    auto windows = desktop.windowList().onScreen();
    if (!windows) return false;
    return std::any_of(windows->begin(), windows->end(), [pid](const platform::WindowInfo& window) {
        return window.ownerPid == pid && (!window.layer || *window.layer == 0);
    });
}

void finish(int pid, const std::string& name, unsigned long startedIn, Json commands, double started) {
    auto* desktop = Elements::detail::desktop();
    const double now = desktop ? desktop->clock().now() : started;
    const size_t count = commands.size();
    {
        std::lock_guard held(lock());
        if (generation != startedIn) return;
        reading.erase(pid);
        if (cache.size() >= kPruneAt) {
            std::erase_if(cache, [now](const auto& kept) { return now - kept.second.at >= kPruneAge; });
        }
        if (!commands.empty()) cache[pid] = Entry{now, name, std::move(commands)};
    }
    Log::line("nimbo: menus — " + std::to_string(count) + " commands in " + name + " in " +
              std::to_string(static_cast<long long>((now - started) * 1000.0)) + "ms" +
              (count == 0 ? " (nothing read — will read again)" : ""));
}

}  // namespace

void refresh(const std::optional<platform::RunningApp>& app) {
    auto* desktop = Elements::detail::desktop();
    if (!app || !desktop) return;
    const int pid = app->pid;
    if (pid == desktop->application().processId() || !regular(*desktop, pid)) return;
    unsigned long startedIn = 0;
    {
        std::lock_guard held(lock());
        auto found = cache.find(pid);
        const bool fresh = found != cache.end() && desktop->clock().now() - found->second.at < kFresh;
        if (fresh || reading.contains(pid)) return;
        reading.insert(pid);
        startedIn = generation;
    }
    std::string name = app->name.empty() ? "the app" : app->name;
    desktop->queues().async(platform::Priority::utility, [pid, name = std::move(name), startedIn] {
        auto* now = Elements::detail::desktop();
        const double started = now ? now->clock().now() : 0;
        finish(pid, name, startedIn, read(pid), started);
    });
}

std::optional<Front> forFront() {
    auto* desktop = Elements::detail::desktop();
    if (!desktop) return std::nullopt;
    auto front = desktop->application().frontApplication();
    if (!front || front->pid == desktop->application().processId()) return std::nullopt;
    std::optional<Front> kept;
    {
        std::lock_guard held(lock());
        if (auto found = cache.find(front->pid); found != cache.end()) {
            kept = Front{found->second.app, found->second.commands};
        }
    }
    // A stale or missing entry is read in the background for next time.
    refresh(front);
    return kept;
}

}  // namespace nimbo::Menus

namespace nimbo::Elements::detail {

void forgetMenus() {
    std::lock_guard held(Menus::lock());
    Menus::cache.clear();
    Menus::reading.clear();
    ++Menus::generation;
}

}  // namespace nimbo::Elements::detail
