#pragma once
#include <memory>
#include <vector>

#include "platform/KeyTaps.h"
#include "platform/linux/x11/XTestKeyPoster.h"

namespace nimbo::x11 {

class RawKeyTap;

// Keyboard taps over XInput 2 raw events (listen-only) and passive key grabs
// (active), keys posted through XTest, interruptions from logind and the
// screen saver.
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
    // X11 has nothing that switches taps off for a password field: raw events
    // keep coming while a locker or a password dialog grabs the keyboard.
    bool secureInputEnabled() const override { return false; }
    void postKey(int keyCode, bool down, std::uint64_t flags, std::int64_t userData) override;
    platform::WorkHandle observeSessionInterruptions(std::function<void()> handler) override;

private:
    XTestKeyPoster poster_;
    std::vector<std::weak_ptr<RawKeyTap>> listeners_;
    // Kept here because a caller may drop the handle and still expect the calls.
    std::vector<platform::WorkHandle> interruptionWatches_;
};

}  // namespace nimbo::x11
