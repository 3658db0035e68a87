#pragma once
// Clicks, pointer moves and key presses of the shell's own, through XTest on a
// connection of its own. Keys go through the key taps' poster, so the taps
// report them with the marker they were posted with; a click is announced to
// the click watcher before it is sent, so the press is not taken for the
// user's. Points are root-window coordinates, as the accessibility tree and
// the window list give them.
#include <memory>

#include "platform/KeyTaps.h"
#include "platform/SyntheticInput.h"
#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

class XInputMouseMonitors;

class XTestInput final : public platform::SyntheticInput {
public:
    XTestInput(platform::KeyTaps& keys, XInputMouseMonitors& clickWatcher) : keys_(keys), clickWatcher_(clickWatcher) {}
    ~XTestInput() override;
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    void click(Point point) override;
    std::optional<Point> pointer() override;
    void warp(Point point) override;
    void key(int keyCode, std::uint64_t flags, std::int64_t marker) override;
    // Ctrl+V, or Ctrl+Shift+V when the focused window is a terminal's.
    void paste(std::int64_t marker) override;

private:
    // Null without a display or XTest; reconnects after the server dropped it.
    Display* display();

    platform::KeyTaps& keys_;
    XInputMouseMonitors& clickWatcher_;
    std::shared_ptr<XConnection> connection_;
};

}  // namespace nimbo::x11
