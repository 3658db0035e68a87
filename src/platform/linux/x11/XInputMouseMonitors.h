#pragma once
// Left-button presses seen without taking them: XInput 2 raw button events of
// every master pointer, selected on the root window of a connection of its
// own, so they keep coming while another client grabs the pointer. A press
// over one of the shell's windows (what the server shows under the pointer,
// which a click-through window never is) goes to the local monitors with
// that window; any other press to the global ones. Raw events carry no
// position, so the pointer is asked where it is when the press is read: a
// press followed within that moment by a move onto another window counts
// where the pointer went.
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

    DesktopApplication& application_;
    std::shared_ptr<XConnection> connection_;
    int xinputOpcode_ = 0;
    // Logical button of each physical one (a left-handed mouse swaps 1 and 3).
    std::vector<unsigned char> buttonMap_;
    std::vector<std::shared_ptr<GlobalEntry>> global_;
    std::vector<std::shared_ptr<LocalEntry>> local_;
};

}  // namespace nimbo::x11
