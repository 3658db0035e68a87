#pragma once
// The front application's menu commands.
#include <optional>

#include "platform/Application.h"

namespace nimbo::Menus {

inline void refresh(const std::optional<platform::RunningApp>& /*front*/) {}

}  // namespace nimbo::Menus
