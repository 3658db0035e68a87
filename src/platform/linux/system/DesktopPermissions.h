#pragma once
#include "platform/Permissions.h"

namespace nimbo::x11 {

// What stands for each grant on an X11 desktop:
// - screen capture: the root window can be read (a 1×1 XGetImage succeeds);
// - accessibility: the AT-SPI bus answers org.a11y.Bus.GetAddress on the
//   session bus with an address, within a short time-out;
// - listening to keys: the display offers XInput 2.0 or later.
class DesktopPermissions final : public platform::Permissions {
public:
    bool screenCaptureGranted() const override;
    bool accessibilityTrusted() const override;
    bool listenEventGranted() const override;
};

}  // namespace nimbo::x11
