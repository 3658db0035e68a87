#pragma once
// The screen as it would look without some windows, built by the X server
// from the other windows' own pictures (Composite keeps one per redirected
// window, covered parts included) laid in stacking order with Render.
#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "platform/linux/x11/PixelReader.h"
#include "platform/linux/x11/TopLevels.h"
#include "platform/linux/x11/XConnection.h"

namespace nimbo::x11 {

struct Picture32 {
    std::uint8_t* pixels = nullptr;
    int stride = 0;
    // The root rectangle the pixels show.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Redraws `area` (root rectangles inside the picture's) of `picture` from
// `stack` (bottom to top, the left-out windows already taken out) over the
// desktop's background. With a compositing manager, windows that have alpha
// are blended as it blends them; without one they are copied as X shows
// them. False when the server can't do it (no Composite or Render).
bool composeStack(XConnection& connection, PixelReader& reader, const std::vector<TopLevel>& stack,
                  const std::vector<XRectangle>& area, bool composited, Picture32& picture);

}  // namespace nimbo::x11
