#pragma once
#include "platform/Windows.h"

namespace nimbo::x11 {

class DesktopApplication;

// Makes page windows and registers them with the application, which routes
// their key events and answers which of them has the keyboard.
class PageWindows final : public platform::Windows {
public:
    explicit PageWindows(DesktopApplication& application) : application_(application) {}
    std::shared_ptr<platform::PageWindow> makePageWindow(const platform::PageWindowOptions& options) override;
    // From the window manager's stacking list when there is one, else from the
    // root window's children, which an X server without one keeps in stacking order.
    std::vector<long> windowNumbers() const override;
    void setArrowCursor() override;

private:
    DesktopApplication& application_;
};

}  // namespace nimbo::x11
