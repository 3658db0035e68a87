#pragma once
// Session-wide keyboard taps in the event-tap vocabulary: key-down 10, key-up
// 11, flags-changed 12, the disabled notices, modifier flags with the Command/
// Option/Shift/Control bits and the key codes of the design.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/MainQueue.h"

namespace nimbo::platform {

struct TapEvent {
    std::uint32_t type = 0;
    std::uint64_t flags = 0;
    int keyCode = 0;
    bool autoRepeat = false;
    // The event source's user data: the shell's own posted events carry its marker.
    std::int64_t userData = 0;
};

class KeyTap {
public:
    virtual ~KeyTap() = default;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    // Takes the tap down for good; it delivers nothing afterwards.
    virtual void invalidate() = 0;
};

class KeyTaps {
public:
    virtual ~KeyTaps() = default;
    // A listen-only tap of the event types in `mask` (bit 1 << type), delivered
    // on the main thread. Null when it can't be created (no permission).
    virtual std::shared_ptr<KeyTap> listenOnly(std::uint64_t mask, std::function<void(const TapEvent&)> callback) = 0;
    // An active tap taking the listed keys while exactly `flags` are held; the
    // callback answers true to swallow the event, false to let it through.
    // Null when the keys can't be taken (another program holds them).
    virtual std::shared_ptr<KeyTap> intercept(const std::vector<int>& keyCodes, std::uint64_t flags,
                                              std::function<bool(const TapEvent&)> callback) = 0;
    // A password field is taking keys for itself, which switches taps off.
    virtual bool secureInputEnabled() const = 0;
    // Posts a key as if typed, carrying `userData` for the taps to see.
    virtual void postKey(int keyCode, bool down, std::uint64_t flags, std::int64_t userData) = 0;
    // The session went to sleep, was locked or switched away from.
    virtual WorkHandle observeSessionInterruptions(std::function<void()> handler) = 0;
};

}  // namespace nimbo::platform
