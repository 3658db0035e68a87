#pragma once
// Addresses go to the desktop's handler for their scheme (GIO's default
// application, as xdg-open picks it). X desktops have no privacy panes of the
// kind the shell would open: those answer false. VS Code is installed when
// `code` is on the PATH, its desktop entry is known or something takes
// "vscode:" addresses; the terminal is the distribution's
// x-terminal-emulator, else the first of a few common emulators on the PATH.
#include "platform/Workspace.h"

namespace nimbo::x11 {

class DesktopWorkspace final : public platform::Workspace {
public:
    bool openURL(const std::string& url) override;
    bool openPrivacyPane(const std::string&) override { return false; }
    bool hasApplication(const std::string& bundleId) override;
    std::optional<std::string> openInTerminal(const std::string& script) override;
};

}  // namespace nimbo::x11
