#include "platform/linux/x11/XInputKeyTaps.h"

#include <algorithm>

#include "platform/linux/x11/GrabKeyTap.h"
#include "platform/linux/x11/RawKeyTap.h"
#include "platform/linux/x11/SessionWatch.h"

namespace nimbo::x11 {

XInputKeyTaps::XInputKeyTaps() = default;

XInputKeyTaps::~XInputKeyTaps() = default;

SessionWatch& XInputKeyTaps::session() {
    if (!session_) session_ = SessionWatch::start();
    return *session_;
}

std::shared_ptr<platform::KeyTap> XInputKeyTaps::listenOnly(std::uint64_t mask,
                                                            std::function<void(const platform::TapEvent&)> callback) {
    session();
    // The tap itself goes on translating while input is secure, so the keys
    // still held when it ends read right; only the telling is held back.
    auto tap = RawKeyTap::create(
        mask, [weak = std::weak_ptr<SessionWatch>(session_), callback = std::move(callback)](const auto& event) {
            auto session = weak.lock();
            if (!session || !session->secure()) callback(event);
        });
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

bool XInputKeyTaps::secureInputEnabled() const {
    return session_ && session_->secure();
}

void XInputKeyTaps::postKey(int keyCode, bool down, std::uint64_t flags, std::int64_t userData) {
    const auto keys = poster_.plan(keyCode, down, flags, userData);
    // Told before sending, so no echo can come back before it is expected.
    for (const auto& weak : listeners_)
        if (auto tap = weak.lock()) tap->expect(keys);
    poster_.send(keys);
}

platform::WorkHandle XInputKeyTaps::observeSessionInterruptions(std::function<void()> handler) {
    return session().observe(std::move(handler));
}

}  // namespace nimbo::x11
