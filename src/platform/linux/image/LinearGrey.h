#pragma once
// One byte of light per pixel: the sRGB values taken back to linear light and
// weighed as the eye does (Rec. 709), 0 black and 255 white, no gamma after.
#include <cstdint>
#include <vector>

#include "platform/Images.h"

namespace nimbo::x11 {

// The picture's pixels as linear grey, rows from the top with no padding.
std::vector<std::uint8_t> linearGreyPixels(const platform::Image& image);

}  // namespace nimbo::x11
