#include "platform/sim/SimKeyTaps.h"

#include <algorithm>

namespace nimbo::sim {

struct SimKeyTaps::Observer : platform::WorkItem {
    explicit Observer(std::function<void()> h) : handler(std::move(h)) {}
    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
    std::function<void()> handler;
    bool cancelled = false;
};

std::shared_ptr<platform::KeyTap> SimKeyTaps::listenOnly(std::uint64_t mask,
                                                         std::function<void(const platform::TapEvent&)> callback) {
    if (refuseListen) return nullptr;
    auto tap = std::make_shared<SimKeyTap>();
    tap->mask = mask;
    tap->listen = std::move(callback);
    taps.push_back(tap);
    return tap;
}

std::shared_ptr<platform::KeyTap> SimKeyTaps::intercept(const std::vector<int>& keyCodes, std::uint64_t flagsHeld,
                                                        std::function<bool(const platform::TapEvent&)> callback) {
    if (refuseIntercept) return nullptr;
    auto tap = std::make_shared<SimKeyTap>();
    tap->active = true;
    tap->keyCodes = keyCodes;
    tap->flags = flagsHeld;
    tap->take = std::move(callback);
    taps.push_back(tap);
    return tap;
}

void SimKeyTaps::postKey(int keyCode, bool down, std::uint64_t flagsHeld, std::int64_t userData) {
    platform::TapEvent event{down ? 10U : 11U, flagsHeld, keyCode, false, userData};
    posted.push_back(event);
    send(event);
}

platform::WorkHandle SimKeyTaps::observeSessionInterruptions(std::function<void()> handler) {
    auto observer = std::make_shared<Observer>(std::move(handler));
    observers_.push_back(observer);
    return observer;
}

void SimKeyTaps::setFlags(std::uint64_t now) {
    flags = now;
    send({12, flags, 0, false, 0});
}

void SimKeyTaps::keyDown(int keyCode, bool autoRepeat, std::int64_t userData) {
    send({10, flags, keyCode, autoRepeat, userData});
}

void SimKeyTaps::keyUp(int keyCode, std::int64_t userData) {
    send({11, flags, keyCode, false, userData});
}

void SimKeyTaps::switchOff(SimKeyTap& tap, std::uint32_t notice) {
    tap.enabled = false;
    platform::TapEvent event{notice, 0, 0, false, 0};
    if (tap.listen) tap.listen(event);
    if (tap.take) tap.take(event);
}

void SimKeyTaps::interruptSession() {
    for (const auto& observer : std::vector(observers_)) {
        if (observer->cancelled) continue;
        main_.post([observer] {
            if (!observer->cancelled) observer->handler();
        });
    }
}

// Active taps see their keys first and may swallow them; listen-only taps see
// everything that is left in the order they were made, as the session does.
void SimKeyTaps::send(const platform::TapEvent& event) {
    auto current = taps;  // a callback may add or remove taps
    for (const auto& tap : current) {
        if (!tap->active || !tap->isEnabled()) continue;
        const bool keyEvent = event.type == 10 || event.type == 11;
        const bool listed = std::find(tap->keyCodes.begin(), tap->keyCodes.end(), event.keyCode) != tap->keyCodes.end();
        if (keyEvent && listed && (event.flags & 0x1E0000) == tap->flags && tap->take(event)) return;
    }
    for (const auto& tap : current) {
        if (tap->active || !tap->isEnabled()) continue;
        if ((tap->mask & (std::uint64_t{1} << event.type)) != 0) tap->listen(event);
    }
    delivered.push_back(event);
}

}  // namespace nimbo::sim
