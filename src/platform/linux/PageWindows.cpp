#include "platform/linux/PageWindows.h"

#include "platform/linux/DesktopApplication.h"
#include "platform/linux/WebPageWindow.h"

namespace nimbo::x11 {

std::shared_ptr<platform::PageWindow> PageWindows::makePageWindow(const platform::PageWindowOptions& options) {
    auto window = std::make_shared<WebPageWindow>(options, application_);
    application_.registerWindow(window);
    return window;
}

}  // namespace nimbo::x11
