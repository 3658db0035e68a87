#pragma once
#include "platform/KeyTaps.h"

namespace nimbo::x11 {

// Keyboard taps over XInput 2 raw events and passive key grabs.
class XInputKeyTaps final : public platform::KeyTaps {
public:
    std::shared_ptr<platform::KeyTap> listenOnly(std::uint64_t mask,
                                                 std::function<void(const platform::TapEvent&)> callback) override;
    std::shared_ptr<platform::KeyTap> intercept(const std::vector<int>& keyCodes, std::uint64_t flags,
                                                std::function<bool(const platform::TapEvent&)> callback) override;
    bool secureInputEnabled() const override { return false; }
    void postKey(int keyCode, bool down, std::uint64_t flags, std::int64_t userData) override;
    platform::WorkHandle observeSessionInterruptions(std::function<void()> handler) override;
};

}  // namespace nimbo::x11
