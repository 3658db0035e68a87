#include "platform/linux/LinuxPlatform.h"

#include <gtk/gtk.h>

#include "platform/Unavailable.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/documents/FileDocuments.h"
#include "platform/linux/glib/GLibMainQueue.h"
#include "platform/linux/glib/MonotonicClock.h"
#include "platform/linux/glib/ThreadPool.h"
#include "platform/linux/gtk/ControlWindows.h"
#include "platform/linux/gtk/DesktopApplication.h"
#include "platform/linux/gtk/GtkPasteboard.h"
#include "platform/linux/gtk/RendererLaunchGuard.h"
#include "platform/linux/gtk/SharedCookies.h"
#include "platform/linux/image/JpegImages.h"
#include "platform/linux/media/MediaFiles.h"
#include "platform/linux/ocr/TesseractRecognition.h"
#include "platform/linux/secrets/SecretServiceKeychain.h"
#include "platform/linux/system/BundleFile.h"
#include "platform/linux/system/DesktopPermissions.h"
#include "platform/linux/system/DesktopWorkspace.h"
#include "platform/linux/system/JsonDefaults.h"
#include "platform/linux/system/ProcProcesses.h"
#include "platform/linux/system/ProcessEnvironment.h"
#include "platform/linux/system/ProcessStdio.h"
#include "platform/linux/tray/PanelStatusItem.h"
#include "platform/linux/x11/PageWindows.h"
#include "platform/linux/x11/RandrScreens.h"
#include "platform/linux/x11/StackingWindowList.h"
#include "platform/linux/x11/WindowManagerApps.h"
#include "platform/linux/x11/XInputKeyTaps.h"
#include "platform/linux/x11/XInputMouseMonitors.h"
#include "platform/linux/x11/XScreenCapture.h"
#include "platform/linux/x11/XTestInput.h"

namespace nimbo::x11 {
namespace {

class LinuxPlatform final : public platform::Platform {
public:
    LinuxPlatform()
        : defaults_(JsonDefaults::standardPath()),
          bundle_(BundleFile::besideExecutable()),
          windows_(application_),
          screens_(application_),
          windowList_(gdk_display_get_name(gdk_display_get_default())),
          accessibility_([this] { return runningApps_.frontPid(); }),
          controlWindows_(application_),
          statusItem_([this](const std::string& action) { controlWindows_.perform(action); }),
          runningApps_(gdk_display_get_name(gdk_display_get_default()),
                       [this](int pid) { return applicationName(pid); }) {}

    platform::Clock& clock() override { return clock_; }
    platform::MainQueue& main() override { return main_; }
    platform::Queues& queues() override { return queues_; }
    platform::Defaults& defaults() override { return defaults_; }
    platform::Environment& environment() override { return environment_; }
    platform::Bundle& bundle() override { return bundle_; }
    platform::Stdio& stdio() override { return stdio_; }
    platform::Application& application() override { return application_; }
    platform::Windows& windows() override { return windows_; }
    platform::Permissions& permissions() override { return permissions_; }
    platform::Cookies& cookies() override { return cookies_; }
    platform::Screens& screens() override { return screens_; }
    platform::KeyTaps& keyTaps() override { return keyTaps_; }
    platform::MouseMonitors& mouseMonitors() override { return mouseMonitors_; }
    platform::ScreenCapture& screenCapture() override { return screenCapture_; }
    platform::Images& images() override { return images_; }
    platform::WindowList& windowList() override { return windowList_; }
    platform::Accessibility& accessibility() override { return accessibility_; }
    platform::TextRecognition& textRecognition() override { return textRecognition_; }
    platform::Keychain& keychain() override { return keychain_; }
    platform::StatusItem& statusItem() override { return statusItem_; }
    platform::MenuBar& menuBar() override { return controlWindows_; }
    platform::ControlWindows& controlWindows() override { return controlWindows_; }
    platform::Workspace& workspace() override { return workspace_; }
    platform::SyntheticInput& syntheticInput() override { return input_; }
    platform::Pasteboard& pasteboard() override { return pasteboard_; }
    platform::RunningApps& runningApps() override { return runningApps_; }
    platform::Haptics& haptics() override { return haptics_; }
    platform::Documents& documents() override { return documents_; }
    platform::MediaFacts& mediaFacts() override { return mediaFiles_; }
    platform::Processes& processes() override { return processes_; }

private:
    // The name an application gives itself on the accessibility bus.
    std::optional<std::string> applicationName(int pid) {
        auto app = accessibility_.application(pid);
        if (!app) return std::nullopt;
        auto title = accessibility_.copy(app, "AXTitle");
        if (!title || !std::holds_alternative<std::string>(*title)) return std::nullopt;
        return std::get<std::string>(*title);
    }

    MonotonicClock clock_;
    GLibMainQueue main_;
    ThreadPool queues_{3};
    JsonDefaults defaults_;
    ProcessEnvironment environment_;
    BundleFile bundle_;
    ProcessStdio stdio_;
    DesktopApplication application_;
    PageWindows windows_;
    DesktopPermissions permissions_;
    SharedCookies cookies_;
    RandrScreens screens_;
    XInputKeyTaps keyTaps_;
    XInputMouseMonitors mouseMonitors_{application_};
    XScreenCapture screenCapture_;
    JpegImages images_;
    StackingWindowList windowList_;
    atspi::AtspiAccessibility accessibility_;
    ocr::TesseractRecognition textRecognition_;
    SecretServiceKeychain keychain_;
    GtkControlWindows controlWindows_;  // and the main menu, which its window carries
    PanelStatusItem statusItem_;
    DesktopWorkspace workspace_;
    XTestInput input_{keyTaps_, mouseMonitors_};
    GtkPasteboard pasteboard_;
    WindowManagerApps runningApps_;
    platform::UnavailableHaptics haptics_;
    documents::FileDocuments documents_;
    media::MediaFiles mediaFiles_;
    ProcProcesses processes_;
};

}  // namespace

std::unique_ptr<platform::Platform> makePlatform(int& argc, char**& argv) {
    g_set_prgname("nimbo");  // WM_CLASS and the desktop's idea of who we are
    gdk_set_allowed_backends("x11");
    gtk_init(&argc, &argv);  // exits with GTK's message when there is no display
    guardRendererLaunches();
    return std::make_unique<LinuxPlatform>();
}

}  // namespace nimbo::x11
