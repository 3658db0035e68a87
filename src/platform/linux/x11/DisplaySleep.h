#pragma once
// The displays going dark, as the X server tells it on a connection of its
// own: its screen saver coming on (MIT-SCREEN-SAVER), and, where the server
// has DPMS 1.2, the monitors' power level leaving "on" (standby, suspend,
// off). Both come as events; nothing is polled.
#include <functional>
#include <memory>

#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

class DisplaySleep : public std::enable_shared_from_this<DisplaySleep> {
public:
    // Calls `slept` on the main loop each time the displays go dark; null
    // without a display.
    static std::shared_ptr<DisplaySleep> watch(std::function<void()> slept);
    ~DisplaySleep();
    DisplaySleep(const DisplaySleep&) = delete;
    DisplaySleep& operator=(const DisplaySleep&) = delete;

private:
    explicit DisplaySleep(std::function<void()> slept) : slept_(std::move(slept)) {}
    bool connect();
    void handle(XEvent& event);

    std::function<void()> slept_;
    std::shared_ptr<XConnection> connection_;
    int screenSaverEvent_ = -1;
    int dpmsOpcode_ = -1;
};

}  // namespace nimbo::x11
