// A page process that dies again just after it was started, while WebKit is
// still learning its id, ends as an ordinary renderer crash: this process lives
// on and the page comes back, whatever the moment of the death.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <memory>
#include <set>
#include <string>

#include "Desktop.h"
#include "PageHarness.h"

namespace nimbo::test {
namespace {

// Live page processes started by this process, from /proc.
std::set<pid_t> livePageProcesses() {
    std::set<pid_t> found;
    GDir* dir = g_dir_open("/proc", 0, nullptr);
    if (!dir) return found;
    while (const gchar* name = g_dir_read_name(dir)) {
        const pid_t pid = static_cast<pid_t>(g_ascii_strtoll(name, nullptr, 10));
        if (pid <= 0) continue;
        // "pid (name) state ppid …"; the name may hold spaces and parentheses.
        const std::string stat = readFile(std::string("/proc/") + name + "/stat");
        const auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close + 4 > stat.size()) continue;
        const std::string command = stat.substr(open + 1, close - open - 1);
        const char state = stat[close + 2];
        const pid_t parent = static_cast<pid_t>(g_ascii_strtoll(stat.c_str() + close + 4, nullptr, 10));
        if (parent == getpid() && command.rfind("WebKitWebProc", 0) == 0 && state != 'Z' && state != 'X')
            found.insert(pid);
    }
    g_dir_close(dir);
    return found;
}

// Waits like waitUntil, with the main loop waking every 2 ms so a condition
// polled outside its events is seen soon after it holds.
bool waitClosely(const std::function<bool()>& condition, double seconds) {
    const guint tick = g_timeout_add(
        2, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    const bool held = waitUntil(condition, seconds);
    g_source_remove(tick);
    return held;
}

class RendererDeath : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<DevServer>(); }
    static void TearDownTestSuite() { server_.reset(); }

    // Like the shell's views: a renderer death is answered with a reload.
    void SetUp() override {
        platform::WebView::Events events;
        events.finished = [this] { ++finished_; };
        events.rendererDied = [this] {
            ++died_;
            page_.web().reload();
        };
        page_.web().setEvents(events);
        page_.web().load(server_->origin() + "/spatial/overlay", 20.0);
        ASSERT_TRUE(waitUntil([&] { return finished_ > 0; }, 30.0));
    }

    inline static std::unique_ptr<DevServer> server_;
    PageHarness page_{false};
    int finished_ = 0;
    int died_ = 0;
};

TEST_F(RendererDeath, AReplacementKilledAsItStartsIsAnOrdinaryCrash) {
    // Twice through every moment from the replacement's first sight to 150 ms after.
    for (int round = 0; round < 32; ++round) {
        const double delay = (round % 16) * 0.010;
        SCOPED_TRACE("killed " + std::to_string(round % 16 * 10) + " ms after it appeared");
        const std::set<pid_t> before = livePageProcesses();
        ASSERT_EQ(before.size(), 1u);
        const int diedBefore = died_;
        ASSERT_EQ(kill(*before.begin(), SIGKILL), 0);

        pid_t replacement = 0;
        ASSERT_TRUE(waitClosely(
            [&] {
                for (pid_t pid : livePageProcesses())
                    if (!before.count(pid)) replacement = pid;
                return replacement > 0;
            },
            10.0));
        if (delay > 0) waitClosely([] { return false; }, delay);
        kill(replacement, SIGKILL);  // it may have died on its own meanwhile
        const int finishedAtKill = finished_;

        // Both deaths are told, and the page loads again in a process that stays.
        ASSERT_TRUE(waitUntil([&] { return died_ == diedBefore + 2 && finished_ > finishedAtKill; }, 20.0))
            << "deaths told " << died_ - diedBefore << ", loads since " << finished_ - finishedAtKill;
        EXPECT_EQ(page_.run("return 6 * 7;").value, Json(42));
    }
}

}  // namespace
}  // namespace nimbo::test
