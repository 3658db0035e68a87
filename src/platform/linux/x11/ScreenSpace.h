#pragma once
// Window frames cross the seam in bottom-left (AppKit) coordinates whose
// origin is the primary monitor's bottom-left corner; GDK places windows in
// top-left root coordinates. These convert around RandR's primary monitor, the
// same one the display list puts first, so windows and screens agree.
#include <gdk/gdk.h>

#include "platform/Geometry.h"

namespace nimbo::x11 {

// Device pixels per GDK unit (GDK_SCALE); frames are in GDK units.
int windowScale();

// The primary monitor's rectangle in GDK root coordinates; empty with no monitor.
GdkRectangle primaryMonitorArea();

GdkRectangle rootRectFromFrame(const Rect& frame);
Rect frameFromRootRect(int x, int y, int width, int height);
Point pointFromRoot(double x, double y);

// The same conversions around a given primary rectangle.
GdkRectangle rootRectFromFrame(const Rect& frame, const GdkRectangle& primary);
Rect frameFromRootRect(const GdkRectangle& rect, const GdkRectangle& primary);

}  // namespace nimbo::x11
