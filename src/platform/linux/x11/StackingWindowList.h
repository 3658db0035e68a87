#pragma once
// The windows on screen as the window manager stacks them, read on an XCB
// connection of its own: XCB is safe from any thread and reports a window
// that vanished mid-read as a failed reply instead of a process-wide error.
#include <xcb/xcb.h>

#include <mutex>
#include <string>

#include "platform/WindowList.h"

namespace nimbo::x11 {

class StackingWindowList final : public platform::WindowList {
public:
    // `displayName` as GDK opened it; empty for $DISPLAY.
    explicit StackingWindowList(std::string displayName);
    ~StackingWindowList() override;
    StackingWindowList(const StackingWindowList&) = delete;
    StackingWindowList& operator=(const StackingWindowList&) = delete;

    std::optional<std::vector<platform::WindowInfo>> onScreen() override;

private:
    struct Atoms;
    bool connect();

    std::mutex lock_;
    std::string displayName_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    Atoms* atoms_ = nullptr;
};

}  // namespace nimbo::x11
