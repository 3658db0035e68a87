#pragma once
// Everything the core asks of the desktop, gathered in one object. The real
// application gets the Linux backend; the tests get the simulated desktop.
#include "platform/Accessibility.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/ControlWindow.h"
#include "platform/Cookies.h"
#include "platform/Defaults.h"
#include "platform/Documents.h"
#include "platform/Environment.h"
#include "platform/Haptics.h"
#include "platform/Images.h"
#include "platform/KeyTaps.h"
#include "platform/Keychain.h"
#include "platform/MainQueue.h"
#include "platform/MediaFacts.h"
#include "platform/MouseMonitors.h"
#include "platform/Pasteboard.h"
#include "platform/Permissions.h"
#include "platform/Processes.h"
#include "platform/Queues.h"
#include "platform/RunningApps.h"
#include "platform/ScreenCapture.h"
#include "platform/Screens.h"
#include "platform/StatusItem.h"
#include "platform/Stdio.h"
#include "platform/SyntheticInput.h"
#include "platform/TextRecognition.h"
#include "platform/WindowList.h"
#include "platform/Windows.h"
#include "platform/Workspace.h"

namespace nimbo::platform {

class Platform {
public:
    virtual ~Platform() = default;
    virtual Clock& clock() = 0;
    virtual MainQueue& main() = 0;
    virtual Queues& queues() = 0;
    virtual Defaults& defaults() = 0;
    virtual Environment& environment() = 0;
    virtual Bundle& bundle() = 0;
    virtual Stdio& stdio() = 0;
    virtual Application& application() = 0;
    virtual Windows& windows() = 0;
    virtual Permissions& permissions() = 0;
    virtual Cookies& cookies() = 0;
    virtual Screens& screens() = 0;
    virtual KeyTaps& keyTaps() = 0;
    virtual MouseMonitors& mouseMonitors() = 0;
    virtual ScreenCapture& screenCapture() = 0;
    virtual Images& images() = 0;
    virtual WindowList& windowList() = 0;
    virtual Accessibility& accessibility() = 0;
    virtual TextRecognition& textRecognition() = 0;
    virtual Keychain& keychain() = 0;
    virtual StatusItem& statusItem() = 0;
    virtual MenuBar& menuBar() = 0;
    virtual ControlWindows& controlWindows() = 0;
    virtual Workspace& workspace() = 0;
    virtual SyntheticInput& syntheticInput() = 0;
    virtual Pasteboard& pasteboard() = 0;
    virtual RunningApps& runningApps() = 0;
    virtual Haptics& haptics() = 0;
    virtual Documents& documents() = 0;
    virtual MediaFacts& mediaFacts() = 0;
    virtual Processes& processes() = 0;
};

}  // namespace nimbo::platform
