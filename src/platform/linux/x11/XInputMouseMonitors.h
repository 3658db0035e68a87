#pragma once
// Left-button presses seen without taking them: XInput 2 raw button events of
// every master pointer, selected on the root window of a connection of its
// own, so they keep coming while another client grabs the pointer. A press
// over one of the shell's windows (what the server shows under the pointer,
// which a click-through window never is) goes to the local monitors with
// that window; any other press to the global ones. Raw events carry no
// position, so the pointer is asked where it is when the press is read: a
// press followed within that moment by a move onto another window counts
// where the pointer went. The shell's own clicks (XTestInput) are announced
// before they are sent and left out when they come back from the XTest
// pointer; a press some other program makes through XTest still counts.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/MouseMonitors.h"
#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

class DesktopApplication;
class WebPageWindow;

class XInputMouseMonitors final : public platform::MouseMonitors {
public:
    explicit XInputMouseMonitors(DesktopApplication& application) : application_(application) {}
    ~XInputMouseMonitors() override;
    XInputMouseMonitors(const XInputMouseMonitors&) = delete;
    XInputMouseMonitors& operator=(const XInputMouseMonitors&) = delete;

    // Null without a display or XInput 2.
    platform::WorkHandle addGlobalMouseDownMonitor(std::function<void()> handler) override;
    platform::WorkHandle addLocalMouseDownMonitor(
        std::function<void(const std::shared_ptr<platform::PageWindow>&)> handler) override;

    // A left press the shell is about to make through XTest: not the user's.
    void expectOwnPress();

private:
    template <typename Handler>
    struct Entry {
        Handler handler;
        bool removed = false;
    };
    using GlobalEntry = Entry<std::function<void()>>;
    using LocalEntry = Entry<std::function<void(const std::shared_ptr<platform::PageWindow>&)>>;

    // Connects and selects the presses the first time a monitor is added, and
    // again after the server dropped the connection.
    bool listen();
    void handle(XEvent& event);
    void readButtonMap();
    std::shared_ptr<WebPageWindow> shellWindowUnderPointer() const;
    // Takes the oldest announced press still waiting to come back.
    bool takeOwnPress();

    DesktopApplication& application_;
    std::shared_ptr<XConnection> connection_;
    int xinputOpcode_ = 0;
    // Logical button of each physical one (a left-handed mouse swaps 1 and 3).
    std::vector<unsigned char> buttonMap_;
    // The slave pointers XTest presses come from.
    std::vector<int> xtestPointers_;
    // When each announced press was sent (monotonic microseconds).
    std::deque<std::int64_t> ownPresses_;
    std::vector<std::shared_ptr<GlobalEntry>> global_;
    std::vector<std::shared_ptr<LocalEntry>> local_;
};

}  // namespace nimbo::x11
