#pragma once
// Display geometry. Nothing is kept: every operation reads the display list at
// the moment it is called. Frames are in AppKit coordinates (origin at the
// primary display's bottom-left, y up); "top-left" rectangles have their origin
// at the primary display's top-left, y down.
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Screens.h"

namespace nimbo::Displays {

// One line per display, "N X,Y WxH @S notch NX NWxNH"; the list as a whole is
// the identity of the arrangement, so equal lists mean nothing moved.
std::vector<std::string> layout(const platform::Screens& screens);

// The camera housing's rectangle in the display's own top area, if it has one.
std::optional<Rect> notch(const platform::Screen& screen);

// The maximum y of the primary display's frame; 0 with no display.
double primaryHeight(const platform::Screens& screens);

Rect topLeftBounds(const platform::Screens& screens, const platform::Screen& screen);

// A top-left rectangle in AppKit coordinates; the inverse of topLeftBounds.
Rect toAppKit(const platform::Screens& screens, const Rect& rect);

// The first display holding an AppKit point the way the mouse is tested
// (x in [minX, maxX), y in (minY, maxY]); absent when none does.
std::optional<platform::Screen> holding(const platform::Screens& screens, Point point);

// The display holding the point; the main display when none does.
std::optional<platform::Screen> screenAt(const platform::Screens& screens, Point point);

}  // namespace nimbo::Displays
