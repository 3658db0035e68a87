#pragma once
// Everything the core asks of the desktop, gathered in one object. The real
// application gets the Linux backend; the tests get the simulated desktop.
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Cookies.h"
#include "platform/Defaults.h"
#include "platform/Environment.h"
#include "platform/KeyTaps.h"
#include "platform/MainQueue.h"
#include "platform/Permissions.h"
#include "platform/Queues.h"
#include "platform/Screens.h"
#include "platform/Stdio.h"
#include "platform/Windows.h"

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
};

}  // namespace nimbo::platform
