#pragma once
// The active tap: passive grabs of a few keys with exactly the given
// modifiers (Caps Lock and Num Lock aside) on the root window, in synchronous
// keyboard mode, so each press waits for the callback's answer: swallowed, or
// replayed to the window that has the focus.
#include <bitset>
#include <memory>
#include <vector>

#include "platform/KeyTaps.h"
#include "platform/linux/x11/ModifierKeys.h"
#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

class GrabKeyTap final : public platform::KeyTap, public std::enable_shared_from_this<GrabKeyTap> {
public:
    using Callback = std::function<bool(const platform::TapEvent&)>;
    // An enabled tap; null without a display, when no listed key exists here,
    // or when another client holds one of the combinations.
    static std::shared_ptr<GrabKeyTap> create(const std::vector<int>& keyCodes, std::uint64_t flags, Callback callback);
    ~GrabKeyTap() override;
    GrabKeyTap(const GrabKeyTap&) = delete;
    GrabKeyTap& operator=(const GrabKeyTap&) = delete;

    bool isEnabled() const override;
    // On grabs again (reconnecting when the server dropped the connection);
    // off lets go of the keys.
    void setEnabled(bool enabled) override;
    void invalidate() override;

private:
    GrabKeyTap(std::vector<int> keyCodes, std::uint64_t flags, Callback callback)
        : keyCodes_(std::move(keyCodes)), flags_(flags), callback_(std::move(callback)) {}
    bool connect();
    bool grab();
    void ungrab();
    void handle(XEvent& event);

    const std::vector<int> keyCodes_;  // virtual key codes
    const std::uint64_t flags_;
    const Callback callback_;
    std::shared_ptr<XConnection> connection_;
    ModifierKeys modifiers_;
    std::vector<unsigned> grabbed_;  // X key codes
    std::bitset<256> down_;
    bool enabled_ = false;
    bool invalidated_ = false;
};

}  // namespace nimbo::x11
