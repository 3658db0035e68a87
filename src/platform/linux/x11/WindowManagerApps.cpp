#include "platform/linux/x11/WindowManagerApps.h"

namespace nimbo::x11 {

std::optional<platform::RunningApp> WindowManagerApps::running(int) { return std::nullopt; }
bool WindowManagerApps::isActive(int) { return false; }
bool WindowManagerApps::activate(int) { return false; }

}  // namespace nimbo::x11
