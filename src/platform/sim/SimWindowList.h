#pragma once
// Simulated window stacking: a test lists the windows, front first.
#include <optional>
#include <vector>

#include "platform/WindowList.h"

namespace nimbo::sim {

class SimWindowList : public platform::WindowList {
public:
    std::optional<std::vector<platform::WindowInfo>> onScreen() override { return windows; }
    // Absent: the list can't be read.
    std::optional<std::vector<platform::WindowInfo>> windows = std::vector<platform::WindowInfo>{};
};

}  // namespace nimbo::sim
