#pragma once
// Another shell already running, as the session bus sees it: it holds
// "dev.nimbo.Shell" on a connection of its own, served by a thread of its own
// so it can answer while the test's main thread is blocked in a launch.
#include <gio/gio.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace nimbo::test {

class OtherShell {
public:
    // What it does with a "Reopen" call, on its own thread, given the caller's
    // process id: true answers it; false gives the name up first and answers that
    // the name has no owner, as a shell that quit just then would.
    using ReopenHandler = std::function<bool(int callerPid)>;

    explicit OtherShell(ReopenHandler onReopen);
    ~OtherShell();
    OtherShell(const OtherShell&) = delete;
    OtherShell& operator=(const OtherShell&) = delete;

    bool ownsName() const { return owns_; }
    int reopens() const { return reopens_.load(); }

private:
    void serve();
    static void onMethodCall(GDBusConnection* bus, const gchar* sender, const gchar*, const gchar*, const gchar*,
                             GVariant*, GDBusMethodInvocation* invocation, gpointer data);

    ReopenHandler onReopen_;
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    std::mutex mutex_;
    std::condition_variable ready_;
    bool started_ = false;
    bool owns_ = false;
    std::atomic<int> reopens_{0};
    std::thread thread_;
};

}  // namespace nimbo::test
