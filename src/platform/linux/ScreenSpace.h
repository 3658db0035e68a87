#pragma once
// Window frames cross the seam in bottom-left (AppKit) coordinates whose
// origin is the primary monitor's bottom-left corner; GDK places windows in
// top-left root coordinates. These convert around the primary monitor.
#include <gdk/gdk.h>

#include "platform/Geometry.h"

namespace nimbo::x11 {

// The primary monitor's rectangle in root coordinates (the first monitor
// when none is marked primary).
GdkRectangle primaryMonitorArea();

GdkRectangle rootRectFromFrame(const Rect& frame);
Rect frameFromRootRect(int x, int y, int width, int height);

}  // namespace nimbo::x11
