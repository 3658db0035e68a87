#pragma once
// Simulated displays: a test sets the list, the pointer and the main display.
#include <optional>
#include <vector>

#include "platform/Screens.h"

namespace nimbo::sim {

class SimScreens : public platform::Screens {
public:
    std::vector<platform::Screen> screens() const override { return list; }
    std::optional<platform::Screen> mainScreen() const override {
        if (main) return main;
        if (list.empty()) return std::nullopt;
        return list.front();
    }
    Point mouseLocation() const override { return mouse; }

    std::vector<platform::Screen> list;
    // The display with the key window; the primary when not set.
    std::optional<platform::Screen> main;
    Point mouse;
};

}  // namespace nimbo::sim
