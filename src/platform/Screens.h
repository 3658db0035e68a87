#pragma once
// The displays as the window system reports them, in its own order (primary
// first), with frames in bottom-left (AppKit) coordinates.
#include <optional>
#include <vector>

#include "platform/Geometry.h"

namespace nimbo::platform {

struct Screen {
    // The display's number as the window system gives it; absent when it gives none.
    std::optional<long long> number;
    Rect frame;
    double backingScale = 1.0;
    // The top safe-area inset and the areas beside a camera housing, when there is one.
    double safeAreaTop = 0;
    std::optional<Rect> auxiliaryTopLeft;
    std::optional<Rect> auxiliaryTopRight;
    bool operator==(const Screen&) const = default;
};

class Screens {
public:
    virtual ~Screens() = default;
    // Every display, the primary (origin 0,0) first; empty when none is connected.
    virtual std::vector<Screen> screens() const = 0;
    // The display holding the key window, else the primary; absent with no display.
    virtual std::optional<Screen> mainScreen() const = 0;
    // The pointer in bottom-left coordinates.
    virtual Point mouseLocation() const = 0;
};

}  // namespace nimbo::platform
