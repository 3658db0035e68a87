#pragma once
// The address of a display's overlay page. The page learns its display's
// top-left bounds from the query before any event reaches it.
#include <optional>
#include <string>

#include "platform/Geometry.h"

namespace nimbo::OverlayAddress {

// origin + "/spatial/overlay?display=X&dx=X&dy=Y&dw=W&dh=H" with the bounds
// truncated to integers ("display" is the left edge again, not a number of
// the display). Absent when the origin yields no valid address.
std::optional<std::string> forDisplay(const std::string& origin, const Rect& topLeftBounds);

}  // namespace nimbo::OverlayAddress
