#pragma once
// Where a window shows pixels on the screen: what the shell must take out of
// a capture for each of its own windows.
#include <X11/Xlib.h>

#include <optional>
#include <vector>

#include "platform/linux/x11/PixelReader.h"
#include "platform/linux/x11/TopLevels.h"

namespace nimbo::x11 {

// The overlap of two rectangles; absent when they don't meet.
std::optional<XRectangle> intersect(const XRectangle& a, const XRectangle& b);

// The window's pixels on screen inside `within` (root coordinates): its
// bounding shape (which, without a compositing manager, the shell keeps to
// what a page painted), and while a compositor blends a window that has alpha,
// only the 16-pixel tiles of it holding a pixel that isn't fully clear.
std::vector<XRectangle> paintedArea(Display* display, PixelReader& reader, const TopLevel& window, bool composited,
                                    const XRectangle& within);

}  // namespace nimbo::x11
