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
    std::vector<long> windowNumbers() const override { return {}; }
    void setArrowCursor() override {}

private:
    DesktopApplication& application_;
};

}  // namespace nimbo::x11
