#include "platform/sim/SimMouseMonitors.h"

namespace nimbo::sim {

struct SimMouseMonitors::Monitor : platform::WorkItem {
    std::function<void()> global;
    std::function<void(const std::shared_ptr<platform::PageWindow>&)> local;
    bool cancelled = false;
    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
};

platform::WorkHandle SimMouseMonitors::addGlobalMouseDownMonitor(std::function<void()> handler) {
    auto monitor = std::make_shared<Monitor>();
    monitor->global = std::move(handler);
    monitors_.push_back(monitor);
    return monitor;
}

platform::WorkHandle SimMouseMonitors::addLocalMouseDownMonitor(
    std::function<void(const std::shared_ptr<platform::PageWindow>&)> handler) {
    auto monitor = std::make_shared<Monitor>();
    monitor->local = std::move(handler);
    monitors_.push_back(monitor);
    return monitor;
}

void SimMouseMonitors::clickElsewhere() {
    for (const auto& monitor : std::vector(monitors_)) {
        if (!monitor->cancelled && monitor->global) monitor->global();
    }
}

void SimMouseMonitors::clickIn(const std::shared_ptr<platform::PageWindow>& window) {
    for (const auto& monitor : std::vector(monitors_)) {
        if (!monitor->cancelled && monitor->local) monitor->local(window);
    }
}

}  // namespace nimbo::sim
