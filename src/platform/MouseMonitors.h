#pragma once
// Presses of the left mouse button, seen without taking them.
#include <functional>
#include <memory>

#include "platform/MainQueue.h"
#include "platform/Windows.h"

namespace nimbo::platform {

// Handlers run on the main thread.
class MouseMonitors {
public:
    virtual ~MouseMonitors() = default;
    // Left-button presses in other applications' windows. A backend that can
    // tell the shell's own synthetic clicks leaves them out; the core also
    // tells them apart by their time, so reporting them does no harm.
    virtual WorkHandle addGlobalMouseDownMonitor(std::function<void()> handler) = 0;
    // Left-button presses in the shell's own windows, with the window.
    virtual WorkHandle addLocalMouseDownMonitor(std::function<void(const std::shared_ptr<PageWindow>&)> handler) = 0;
};

}  // namespace nimbo::platform
