#include "platform/linux/x11/XInputKeyTaps.h"

#include <algorithm>

#include "platform/linux/x11/GrabKeyTap.h"
#include "platform/linux/x11/RawKeyTap.h"
#include "platform/linux/dbus/SessionInterruptions.h"

namespace nimbo::x11 {

XInputKeyTaps::XInputKeyTaps() = default;

XInputKeyTaps::~XInputKeyTaps() {
    for (const auto& watch : interruptionWatches_) watch->cancel();
}

std::shared_ptr<platform::KeyTap> XInputKeyTaps::listenOnly(std::uint64_t mask,
                                                            std::function<void(const platform::TapEvent&)> callback) {
    auto tap = RawKeyTap::create(mask, std::move(callback));
    if (!tap) return nullptr;
    listeners_.erase(
        std::remove_if(listeners_.begin(), listeners_.end(), [](const auto& weak) { return weak.expired(); }),
        listeners_.end());
    listeners_.push_back(tap);
    return tap;
}

std::shared_ptr<platform::KeyTap> XInputKeyTaps::intercept(const std::vector<int>& keyCodes, std::uint64_t flags,
                                                           std::function<bool(const platform::TapEvent&)> callback) {
    return GrabKeyTap::create(keyCodes, flags, std::move(callback));
}

void XInputKeyTaps::postKey(int keyCode, bool down, std::uint64_t flags, std::int64_t userData) {
    const auto keys = poster_.plan(keyCode, down, flags, userData);
    // Told before sending, so no echo can come back before it is expected.
    for (const auto& weak : listeners_)
        if (auto tap = weak.lock()) tap->expect(keys);
    poster_.send(keys);
}

platform::WorkHandle XInputKeyTaps::observeSessionInterruptions(std::function<void()> handler) {
    auto watch = watchSessionInterruptions(std::move(handler));
    interruptionWatches_.erase(std::remove_if(interruptionWatches_.begin(), interruptionWatches_.end(),
                                              [](const auto& kept) { return kept->isCancelled(); }),
                               interruptionWatches_.end());
    interruptionWatches_.push_back(watch);
    return watch;
}

}  // namespace nimbo::x11
