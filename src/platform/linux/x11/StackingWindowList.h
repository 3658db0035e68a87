#pragma once
// The windows on screen as the window manager stacks them, read on an XCB
// connection of its own: XCB is safe from any thread and reports a window
// that vanished mid-read as a failed reply instead of a process-wide error.
#include <mutex>
#include <string>

#include "platform/WindowList.h"
#include "platform/linux/x11/XcbSession.h"

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
    std::mutex lock_;
    XcbSession session_;
};

}  // namespace nimbo::x11
