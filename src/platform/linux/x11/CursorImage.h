#pragma once
// The pointer as the X server draws it (XFixes keeps its image and position
// apart from the screen's pixels, so a read of the screen never holds it).
#include <X11/Xlib.h>

#include <cstdint>

namespace nimbo::x11 {

// Whether the server offers XFixes 2 or later on this connection; asks once per call.
bool cursorImageAvailable(Display* display);

// Blends the current pointer into BGRX rows showing the root rectangle that
// starts at (originX, originY); nothing when the pointer lies elsewhere.
void drawCursor(Display* display, int originX, int originY, std::uint8_t* pixels, int width, int height, int stride);

}  // namespace nimbo::x11
