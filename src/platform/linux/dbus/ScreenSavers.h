#pragma once
// The screen savers on the session bus, under the freedesktop and GNOME
// interfaces: whether one is on (asked once at the start, then followed by
// their ActiveChanged signals), and each one coming on, which is when the
// screen locks.
#include <gio/gio.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {

class ScreenSavers : public std::enable_shared_from_this<ScreenSavers> {
public:
    // Starts watching; `cameOn` is called on the main loop each time one
    // announces it came on. Without a session bus nothing is reported.
    static std::shared_ptr<ScreenSavers> watch(std::function<void()> cameOn);
    ~ScreenSavers();
    ScreenSavers(const ScreenSavers&) = delete;
    ScreenSavers& operator=(const ScreenSavers&) = delete;

    bool active() const;

private:
    explicit ScreenSavers(std::function<void()> cameOn);
    void start();
    void onBus(GDBusConnection* bus);
    void set(std::size_t saver, bool active, bool announced);

    std::function<void()> cameOn_;
    GObjectPtr<GCancellable> cancellable_;
    GObjectPtr<GDBusConnection> bus_;
    std::vector<guint> subscriptions_;
    std::array<bool, 2> active_{};
};

}  // namespace nimbo::x11
