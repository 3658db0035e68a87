#pragma once
#include "platform/Screens.h"

namespace nimbo::x11 {

// The displays from the X server's monitor list.
class RandrScreens final : public platform::Screens {
public:
    std::vector<platform::Screen> screens() const override;
    std::optional<platform::Screen> mainScreen() const override;
    Point mouseLocation() const override;
};

}  // namespace nimbo::x11
