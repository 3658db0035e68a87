#pragma once
// The windows on screen, as the window manager stacks them.
#include <optional>
#include <vector>

#include "platform/Geometry.h"

namespace nimbo::platform {

struct WindowInfo {
    int ownerPid = 0;
    // 0 for ordinary application windows; absent when it can't be told.
    std::optional<int> layer;
    // 0…1 when the window says; absent means opaque.
    std::optional<double> alpha;
    // Global top-left points; absent when unreadable.
    std::optional<Rect> bounds;
    long number = 0;
};

// Safe to call from any thread.
class WindowList {
public:
    virtual ~WindowList() = default;
    // Every window on screen, front to back, desktop and panels left out;
    // absent when the list can't be read.
    virtual std::optional<std::vector<WindowInfo>> onScreen() = 0;
};

}  // namespace nimbo::platform
