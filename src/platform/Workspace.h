#pragma once
// Handing things to the rest of the desktop: addresses to the user's browser,
// the privacy panes of the system's settings, scripts to a terminal.
#include <optional>
#include <string>

namespace nimbo::platform {

class Workspace {
public:
    virtual ~Workspace() = default;
    // Opens an address with the desktop's handler for its scheme; false when
    // nothing took it.
    virtual bool openURL(const std::string& url) = 0;
    // Opens the system settings' privacy pane at an anchor
    // ("Privacy_ScreenCapture", "Privacy_Accessibility", "Privacy_Microphone");
    // false when the desktop has no such pane.
    virtual bool openPrivacyPane(const std::string& anchor) = 0;
    // Whether the application a bundle identifier names is installed
    // ("com.microsoft.VSCode", "com.apple.Terminal"); safe from any thread.
    virtual bool hasApplication(const std::string& bundleId) = 0;
    // Runs an executable script in a new window of the desktop's terminal,
    // without waiting for it; the error's description when it could not start.
    virtual std::optional<std::string> openInTerminal(const std::string& script) = 0;
};

}  // namespace nimbo::platform
