#pragma once
// The listen-only tap: XInput 2 raw key events of every master keyboard,
// selected on the root window of a connection of its own. Raw events keep
// arriving while another client grabs the keyboard, and nothing is taken
// away from anybody. The server's own key repeat makes no raw events, so a
// held key is reported as repeating only by keyboards that repeat by themselves.
#include <memory>
#include <vector>

#include "platform/KeyTaps.h"
#include "platform/linux/x11/ModifierKeys.h"
#include "platform/linux/x11/PostedKeys.h"
#include "platform/linux/x11/RawKeyTranslator.h"
#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

class RawKeyTap final : public platform::KeyTap, public std::enable_shared_from_this<RawKeyTap> {
public:
    using Callback = std::function<void(const platform::TapEvent&)>;
    // An enabled tap of the event types in `mask`; null without a display or XInput 2.
    static std::shared_ptr<RawKeyTap> create(std::uint64_t mask, Callback callback);
    ~RawKeyTap() override;
    RawKeyTap(const RawKeyTap&) = delete;
    RawKeyTap& operator=(const RawKeyTap&) = delete;

    // Enabled, connected and still selecting raw key events on the server.
    bool isEnabled() const override;
    // On re-selects, reconnecting first when the server dropped the connection.
    void setEnabled(bool enabled) override;
    void invalidate() override;

    // Keys the shell is posting, to be recognised when they come back.
    void expect(const std::vector<PostedKey>& keys);

private:
    RawKeyTap(std::uint64_t mask, Callback callback) : mask_(mask), callback_(std::move(callback)) {}
    bool connect();
    bool select(bool on);
    bool selectionInPlace() const;
    void startOver();
    void handle(XEvent& event);
    void deliver(unsigned keyCode, bool press, bool repeatFlag, int sourceDevice);

    const std::uint64_t mask_;
    const Callback callback_;
    std::shared_ptr<XConnection> connection_;
    int xinputOpcode_ = 0;
    std::vector<int> xtestDevices_;
    ModifierKeys modifiers_;
    RawKeyTranslator translator_;
    PostedKeys posted_;
    bool enabled_ = false;
    bool invalidated_ = false;
};

}  // namespace nimbo::x11
