#pragma once
#include <memory>
#include <vector>

#include "platform/KeyTaps.h"
#include "platform/linux/x11/XTestKeyPoster.h"

namespace nimbo::x11 {

class RawKeyTap;
class SessionWatch;

// Keyboard taps over XInput 2 raw events (listen-only) and passive key grabs
// (active), keys posted through XTest, interruptions from logind, the screen
// savers and the X server's display power.
//
// X has no switch that keeps a password field's keys from other clients: raw
// events keep coming while a locker grabs the keyboard. So input counts as
// secure while the session is locked or a screen saver is on, and the
// listen-only taps then hear nothing, as taps elsewhere hear nothing during
// secure input. They stay switched on meanwhile.
class XInputKeyTaps final : public platform::KeyTaps {
public:
    XInputKeyTaps();
    ~XInputKeyTaps() override;
    XInputKeyTaps(const XInputKeyTaps&) = delete;
    XInputKeyTaps& operator=(const XInputKeyTaps&) = delete;

    std::shared_ptr<platform::KeyTap> listenOnly(std::uint64_t mask,
                                                 std::function<void(const platform::TapEvent&)> callback) override;
    std::shared_ptr<platform::KeyTap> intercept(const std::vector<int>& keyCodes, std::uint64_t flags,
                                                std::function<bool(const platform::TapEvent&)> callback) override;
    bool secureInputEnabled() const override;
    void postKey(int keyCode, bool down, std::uint64_t flags, std::int64_t userData) override;
    platform::WorkHandle observeSessionInterruptions(std::function<void()> handler) override;

private:
    // The session is watched from the first tap or observer on, not before:
    // the buses are connected only when something needs them.
    SessionWatch& session();

    XTestKeyPoster poster_;
    std::vector<std::weak_ptr<RawKeyTap>> listeners_;
    std::shared_ptr<SessionWatch> session_;
};

}  // namespace nimbo::x11
