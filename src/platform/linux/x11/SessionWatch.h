#pragma once
// Everything that tells the key taps about the session: whether input is
// secure now (the session locked, a screen saver on) and each interruption
// (sleep, lock, a user switch, the displays going dark), told to every
// observer on the main loop.
#include <functional>
#include <memory>
#include <vector>

#include "platform/MainQueue.h"

namespace nimbo::x11 {

class DisplaySleep;
class LoginSession;
class ScreenSavers;

class SessionWatch : public std::enable_shared_from_this<SessionWatch> {
public:
    static std::shared_ptr<SessionWatch> start();
    ~SessionWatch();
    SessionWatch(const SessionWatch&) = delete;
    SessionWatch& operator=(const SessionWatch&) = delete;

    bool secure() const;
    // Calls `handler` for each interruption until the handle is cancelled.
    platform::WorkHandle observe(std::function<void()> handler);

private:
    SessionWatch() = default;
    void interrupted();

    struct Observer {
        platform::WorkHandle handle;
        std::function<void()> handler;
    };
    std::vector<Observer> observers_;
    std::shared_ptr<LoginSession> login_;
    std::shared_ptr<ScreenSavers> screenSavers_;
    std::shared_ptr<DisplaySleep> displaySleep_;
};

}  // namespace nimbo::x11
