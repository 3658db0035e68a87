#pragma once
// The painted part of an ARGB32 picture as X rectangles.
#include <X11/Xlib.h>

#include <vector>

namespace nimbo::x11 {

// Without a compositor nothing is blended: a shown pixel covers the desktop
// with its premultiplied colour, so a faint one (a shadow, a tinted fill)
// would show as a dark smudge. Shown are the pixels at least this opaque.
constexpr unsigned kShownAlpha = 0x66;  // 40 %

// Every pixel at least kShownAlpha opaque, as rectangles in YX-banded order: each
// row's runs of painted pixels, with runs of consecutive equal rows merged
// into one band. `pixels` is premultiplied ARGB32 (cairo's image format) of
// `stride` bytes a row.
std::vector<XRectangle> paintedBands(const unsigned char* pixels, int width, int height, int stride);

}  // namespace nimbo::x11
