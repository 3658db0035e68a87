#pragma once
// The permission walk-through.
#include <functional>
#include <optional>
#include <string>

#include "platform/Json.h"
#include "platform/Screens.h"

namespace nimbo {

class Onboarding {
public:
    enum class Need { accessibility, keys, screen, microphone };

    // Asked while waiting for the key permission: true once keys arrive.
    std::function<bool()> keysReady;
    // Shows a guide dictionary on a display (absent: the display under the pointer).
    std::function<void(const Json& guide, std::optional<platform::Screen> screen)> onGuide;
    std::function<void()> onDone;

    // Starts the walk if anything is missing; false when nothing had to be shown.
    bool start(std::optional<Need> prefer, bool again);
};

}  // namespace nimbo
