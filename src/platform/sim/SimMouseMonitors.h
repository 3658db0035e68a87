#pragma once
// Simulated left-button monitors: a test clicks in another application or in
// one of the shell's windows.
#include <memory>
#include <vector>

#include "platform/MouseMonitors.h"

namespace nimbo::sim {

class SimMouseMonitors : public platform::MouseMonitors {
public:
    platform::WorkHandle addGlobalMouseDownMonitor(std::function<void()> handler) override;
    platform::WorkHandle addLocalMouseDownMonitor(
        std::function<void(const std::shared_ptr<platform::PageWindow>&)> handler) override;

    // A press in another application's window.
    void clickElsewhere();
    // A press in one of the shell's windows.
    void clickIn(const std::shared_ptr<platform::PageWindow>& window);

private:
    struct Monitor;
    std::vector<std::shared_ptr<Monitor>> monitors_;
};

}  // namespace nimbo::sim
