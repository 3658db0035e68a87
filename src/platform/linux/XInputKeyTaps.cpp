#include "platform/linux/XInputKeyTaps.h"

namespace nimbo::x11 {

std::shared_ptr<platform::KeyTap> XInputKeyTaps::listenOnly(std::uint64_t,
                                                            std::function<void(const platform::TapEvent&)>) {
    return nullptr;
}

std::shared_ptr<platform::KeyTap> XInputKeyTaps::intercept(const std::vector<int>&, std::uint64_t,
                                                           std::function<bool(const platform::TapEvent&)>) {
    return nullptr;
}

void XInputKeyTaps::postKey(int, bool, std::uint64_t, std::int64_t) {}

platform::WorkHandle XInputKeyTaps::observeSessionInterruptions(std::function<void()>) {
    return nullptr;
}

}  // namespace nimbo::x11
