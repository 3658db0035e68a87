#pragma once
// Simulated keyboard taps: a test types events into the session; the taps see
// them in creation order, an active tap may swallow them, and what is left
// reaches the front application.
#include <memory>
#include <vector>

#include "platform/KeyTaps.h"
#include "platform/sim/SimTime.h"

namespace nimbo::sim {

class SimKeyTap : public platform::KeyTap {
public:
    bool isEnabled() const override { return enabled && !invalidated; }
    void setEnabled(bool on) override {
        if (refusesEnable && on) return;
        enabled = on;
    }
    void invalidate() override { invalidated = true, enabled = false; }

    bool active = false;
    std::vector<int> keyCodes;
    std::uint64_t flags = 0;
    std::uint64_t mask = 0;
    std::function<void(const platform::TapEvent&)> listen;
    std::function<bool(const platform::TapEvent&)> take;
    bool enabled = false;
    bool invalidated = false;
    // The system won't switch it back on (a missing permission).
    bool refusesEnable = false;
};

class SimKeyTaps : public platform::KeyTaps {
public:
    explicit SimKeyTaps(SimMainQueue& main) : main_(main) {}

    std::shared_ptr<platform::KeyTap> listenOnly(std::uint64_t mask,
                                                 std::function<void(const platform::TapEvent&)> callback) override;
    std::shared_ptr<platform::KeyTap> intercept(const std::vector<int>& keyCodes, std::uint64_t flags,
                                                std::function<bool(const platform::TapEvent&)> callback) override;
    bool secureInputEnabled() const override { return secureInput; }
    void postKey(int keyCode, bool down, std::uint64_t flags, std::int64_t userData) override;
    platform::WorkHandle observeSessionInterruptions(std::function<void()> handler) override;

    // Test side. The modifiers now held; sends one flags-changed event.
    void setFlags(std::uint64_t flags);
    // A key pressed (or auto-repeated) and released with the current modifiers.
    void keyDown(int keyCode, bool autoRepeat = false, std::int64_t userData = 0);
    void keyUp(int keyCode, std::int64_t userData = 0);
    // The system switches a tap off, telling it so (0xFFFFFFFE time-out, 0xFFFFFFFF user input).
    void switchOff(SimKeyTap& tap, std::uint32_t notice);
    // Sleep, lock or a user switch.
    void interruptSession();

    std::vector<std::shared_ptr<SimKeyTap>> taps;
    // Listen-only taps can't be created (no permission).
    bool refuseListen = false;
    // Active taps can't be created (another program holds the keys).
    bool refuseIntercept = false;
    bool secureInput = false;
    std::uint64_t flags = 0;
    // Events that got past every tap to the front application.
    std::vector<platform::TapEvent> delivered;
    std::vector<platform::TapEvent> posted;

private:
    struct Observer;
    void send(const platform::TapEvent& event);
    SimMainQueue& main_;
    std::vector<std::shared_ptr<Observer>> observers_;
};

}  // namespace nimbo::sim
