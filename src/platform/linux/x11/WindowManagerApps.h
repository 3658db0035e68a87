#pragma once
// Other applications by process, and raising one through the window manager.
#include "platform/RunningApps.h"

namespace nimbo::x11 {

class WindowManagerApps final : public platform::RunningApps {
public:
    std::optional<platform::RunningApp> running(int pid) override;
    bool isActive(int pid) override;
    bool activate(int pid) override;
};

}  // namespace nimbo::x11
