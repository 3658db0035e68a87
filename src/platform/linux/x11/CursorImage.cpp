#include "platform/linux/x11/CursorImage.h"

#include <X11/extensions/Xfixes.h>

#include <algorithm>

namespace nimbo::x11 {

bool cursorImageAvailable(Display* display) {
    int eventBase = 0, errorBase = 0, major = 2, minor = 0;
    return XFixesQueryExtension(display, &eventBase, &errorBase) && XFixesQueryVersion(display, &major, &minor) &&
           major >= 2;
}

void drawCursor(Display* display, int originX, int originY, std::uint8_t* pixels, int width, int height, int stride) {
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    if (!cursor) return;
    // Where the image's top-left corner falls in the picture.
    const int left = cursor->x - cursor->xhot - originX;
    const int top = cursor->y - cursor->yhot - originY;
    for (int row = std::max(0, -top); row < cursor->height && top + row < height; ++row) {
        std::uint8_t* out = pixels + static_cast<std::ptrdiff_t>(top + row) * stride;
        for (int column = std::max(0, -left); column < cursor->width && left + column < width; ++column) {
            // Premultiplied ARGB in the low 32 bits of each long.
            const auto argb =
                static_cast<std::uint32_t>(cursor->pixels[static_cast<std::ptrdiff_t>(row) * cursor->width + column]);
            const std::uint32_t alpha = argb >> 24;
            if (alpha == 0) continue;
            std::uint8_t* pixel = out + static_cast<std::ptrdiff_t>(left + column) * 4;
            for (int channel = 0; channel < 3; ++channel) {
                const std::uint32_t source = (argb >> (8 * channel)) & 0xFF;
                pixel[channel] = static_cast<std::uint8_t>(
                    std::min<std::uint32_t>(255, source + (pixel[channel] * (255 - alpha) + 127) / 255));
            }
        }
    }
    XFree(cursor);
}

}  // namespace nimbo::x11
