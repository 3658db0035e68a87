#pragma once
// The status-area menu: its items call back into the application.
#include <functional>
#include <string>

namespace nimbo {

class StatusMenu {
public:
    std::function<void(const std::string& id)> onChoose;
    std::function<void(bool on)> onQuiet;
    std::function<void()> onPrompter;
    std::function<void()> onOpen;
    std::function<void()> onSettings;
    std::function<void()> onStopMeeting;
    std::function<void()> onCheckUpdates;
    bool recordingMeeting = false;

    // Rebuilds the items, showing only those whose callbacks are set.
    void rebuild() { ++rebuilds_; }
    int rebuilds() const { return rebuilds_; }

private:
    int rebuilds_ = 0;
};

}  // namespace nimbo
