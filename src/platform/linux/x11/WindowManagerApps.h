#pragma once
// Other applications by process, and bringing one to the front through the
// window manager. Safe from any thread: it asks the X server on an XCB
// connection of its own.
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/RunningApps.h"
#include "platform/linux/x11/XcbSession.h"

namespace nimbo::x11 {

class WindowManagerApps final : public platform::RunningApps {
public:
    // `displayName` as GDK opened it, empty for $DISPLAY; `nameOf` answers
    // the name an application gives itself, absent when it gives none.
    explicit WindowManagerApps(std::string displayName, std::function<std::optional<std::string>(int pid)> nameOf = {});

    std::optional<platform::RunningApp> running(int pid) override;
    bool isActive(int pid) override;
    bool activate(int pid) override;

    // The process of the active window: the window manager's, else (no
    // window manager) the one with the input focus.
    std::optional<int> frontPid();

private:
    std::mutex lock_;
    XcbSession session_;
    std::function<std::optional<std::string>(int)> nameOf_;
};

}  // namespace nimbo::x11
