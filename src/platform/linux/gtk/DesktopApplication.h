#pragma once
#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/Application.h"
#include "platform/linux/dbus/SingleInstance.h"

namespace nimbo::x11 {

class WebPageWindow;

// The GTK application: its main loop, the quit handshake (SIGTERM, SIGINT and
// Ctrl+Q on the shell's windows all ask the delegate first), key events on the
// shell's windows, the active window on the root window, and monitor changes
// (RandR's, and the monitor list `xrandr --setmonitor` edits, which the server
// announces only as a ConfigureNotify of the root window).
// A launch while another shell runs in the session reopens that one and returns.
// SIGTERM and SIGINT held back since main() started (TerminationSignals) reach
// the quit handshake once the loop runs.
class DesktopApplication final : public platform::Application {
public:
    DesktopApplication();
    ~DesktopApplication() override;
    DesktopApplication(const DesktopApplication&) = delete;
    DesktopApplication& operator=(const DesktopApplication&) = delete;

    void setDelegate(platform::ApplicationDelegate* delegate) override { delegate_ = delegate; }
    void setActivationPolicyRegular() override;
    bool handOverToRunningInstance() override;
    int run() override;
    void requestTerminate() override;
    void replyToApplicationShouldTerminate(bool terminate) override;
    std::shared_ptr<platform::PageWindow> keyWindow() const override;
    platform::WorkHandle addLocalKeyMonitor(std::function<bool(const platform::KeyEvent&)> handler) override;
    platform::WorkHandle observeFrontApplication(
        std::function<void(const std::optional<platform::RunningApp>&)> handler) override;
    std::optional<platform::RunningApp> frontApplication() const override { return activeApplication(); }
    platform::WorkHandle observeScreenParameters(std::function<void()> handler) override;
    int processId() const override;

    // For the windows: each one registers itself, and hands over its key
    // events; the answer says whether the event was swallowed.
    void registerWindow(const std::shared_ptr<WebPageWindow>& window);
    bool dispatchKey(const std::shared_ptr<WebPageWindow>& window, const GdkEventKey* event);
    bool ownsXWindow(unsigned long xid) const;  // an X Window id
    // The shell's windows not yet closed, in the order they were made.
    std::vector<std::shared_ptr<WebPageWindow>> windows() const;

    // What _NET_ACTIVE_WINDOW names now; absent when no window or no pid is known.
    static std::optional<platform::RunningApp> activeApplication();

private:
    template <typename F>
    struct Entry {
        F handler;
        bool removed = false;
    };
    using KeyEntry = Entry<std::function<bool(const platform::KeyEvent&)>>;
    using FrontEntry = Entry<std::function<void(const std::optional<platform::RunningApp>&)>>;
    using ScreenEntry = Entry<std::function<void()>>;

    void terminate();
    void reopen();
    bool hasVisibleWindows() const;
    void watchRootWindow(GdkEventMask mask);
    void frontMayHaveChanged();
    void screenChanged();
    static GdkFilterReturn rootFilter(GdkXEvent* xevent, GdkEvent*, gpointer data);
    static gboolean onSignal(gpointer data);

    platform::ApplicationDelegate* delegate_ = nullptr;
    bool running_ = false;
    bool quitBeforeRun_ = false;
    bool awaitingReply_ = false;
    bool launched_ = false;
    bool reopenPending_ = false;
    std::optional<SingleInstance::Claim> claim_;  // asked for this run, not yet given back
    SingleInstance instance_{[this] { reopen(); }};
    std::vector<std::weak_ptr<WebPageWindow>> windows_;
    std::vector<std::shared_ptr<KeyEntry>> keyMonitors_;
    std::vector<std::shared_ptr<FrontEntry>> frontObservers_;
    std::vector<std::shared_ptr<ScreenEntry>> screenObservers_;
    bool watchingRoot_ = false;
    int randrEventBase_ = -1;  // -1: the server has no RandR
    std::optional<int> lastFrontPid_;
    gulong monitorsChanged_ = 0;
    gulong sizeChanged_ = 0;
    guint screenIdle_ = 0;
};

}  // namespace nimbo::x11
