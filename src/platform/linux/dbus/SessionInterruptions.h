#pragma once
// The session going away under the user's hands, as D-Bus tells it: logind
// about to suspend (system bus), a screen saver coming on, which is when the
// screen locks (freedesktop and GNOME interfaces on the session bus).
#include <functional>

#include "platform/MainQueue.h"

namespace nimbo::x11 {

// Calls `handler` on the main loop for each interruption until the handle is
// cancelled. A bus that isn't there is left out.
platform::WorkHandle watchSessionInterruptions(std::function<void()> handler);

}  // namespace nimbo::x11
