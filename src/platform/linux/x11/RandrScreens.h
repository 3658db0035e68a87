#pragma once
#include "platform/Screens.h"
#include "platform/linux/x11/RandrMonitors.h"

namespace nimbo::x11 {

class DesktopApplication;

// The displays from the X server's RandR monitor list, primary first, frames
// in points (device pixels over GDK's scale) around the primary. X has no
// camera housing, so no display has a safe-area inset.
class RandrScreens final : public platform::Screens {
public:
    explicit RandrScreens(const DesktopApplication& application) : application_(application) {}
    std::vector<platform::Screen> screens() const override;
    std::optional<platform::Screen> mainScreen() const override;
    Point mouseLocation() const override;

private:
    const DesktopApplication& application_;
};

// The displays for a monitor list already put primary first.
std::vector<platform::Screen> screensFromMonitors(const std::vector<Monitor>& monitors, int scale);

// The display sharing the largest area with `frame`; absent when it meets none.
std::optional<platform::Screen> screenHolding(const std::vector<platform::Screen>& screens, const Rect& frame);

}  // namespace nimbo::x11
