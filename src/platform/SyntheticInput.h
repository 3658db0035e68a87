#pragma once
// Input the shell makes itself: clicks, the pointer put back, key presses.
// Everything it posts is marked so that its own watchers can tell it from the user's.
#include <cstdint>
#include <optional>

#include "platform/Geometry.h"

namespace nimbo::platform {

class SyntheticInput {
public:
    virtual ~SyntheticInput() = default;
    // A left-button press and release at a global top-left point.
    virtual void click(Point point) = 0;
    // Where the pointer is, in global top-left points; absent when it can't be read.
    virtual std::optional<Point> pointer() = 0;
    // Moves the pointer without a motion the user could have made.
    virtual void warp(Point point) = 0;
    // One press and release of a key in the key tap's vocabulary (key codes,
    // modifier bits), carrying the marker as the event source's user data.
    virtual void key(int keyCode, std::uint64_t flags, std::int64_t marker) = 0;
    // The desktop's paste keystroke into whatever has keyboard focus (terminals
    // paste with a keystroke of their own), carrying the marker.
    virtual void paste(std::int64_t marker) = 0;
};

}  // namespace nimbo::platform
