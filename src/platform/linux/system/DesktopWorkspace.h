#pragma once
// Addresses go to the desktop's handler for their scheme (GIO's default
// application, as xdg-open picks it). X desktops have no privacy panes of the
// kind the shell would open: those answer false.
#include "platform/Workspace.h"

namespace nimbo::x11 {

class DesktopWorkspace final : public platform::Workspace {
public:
    bool openURL(const std::string& url) override;
    bool openPrivacyPane(const std::string&) override { return false; }
};

}  // namespace nimbo::x11
