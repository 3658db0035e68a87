#pragma once
// The painted part of an ARGB32 picture as X rectangles.
#include <X11/Xlib.h>

#include <vector>

namespace nimbo::x11 {

// Every pixel whose alpha is above 0, as rectangles in YX-banded order: each
// row's runs of painted pixels, with runs of consecutive equal rows merged
// into one band. `pixels` is premultiplied ARGB32 (cairo's image format) of
// `stride` bytes a row.
std::vector<XRectangle> paintedBands(const unsigned char* pixels, int width, int height, int stride);

}  // namespace nimbo::x11
