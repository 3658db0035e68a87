#pragma once
// The front application's menu commands.
#include <optional>
#include <string>

#include "platform/Application.h"
#include "platform/Json.h"

namespace nimbo::Menus {

inline void refresh(const std::optional<platform::RunningApp>& /*front*/) {}

struct Front {
    std::string app;
    Json commands = Json::array();
};

// The front application's commands as last read, at once; absent when none
// were read for it yet. Safe off the main thread.
inline std::optional<Front> forFront() {
    return std::nullopt;
}

}  // namespace nimbo::Menus
