#pragma once
// The screenshot as recognition reads it: one grey byte per pixel, and where
// it can be cut into horizontal bands without cutting through text.
#include <cstdint>
#include <vector>

#include "platform/Images.h"

namespace nimbo::ocr {

struct GreyPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rows from the top, `width` bytes apart

    static GreyPicture from(const platform::Image& image);
    const std::uint8_t* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

// Rows from the top of `picture` that split it into `count` bands of about equal
// height, each cut at the row of least detail near its even share, so a line
// of text is seldom cut in two. Answers the bands' first rows, the first one 0.
std::vector<int> bandStarts(const GreyPicture& picture, int count);

}  // namespace nimbo::ocr
