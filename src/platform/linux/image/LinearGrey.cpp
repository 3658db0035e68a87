#include "platform/linux/image/LinearGrey.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nimbo::x11 {
namespace {

// sRGB byte → linear light, scaled so that weights summing to 1 give 0…255 × 2^16.
std::array<std::uint32_t, 256> linearTable(double weight) {
    std::array<std::uint32_t, 256> table{};
    for (int value = 0; value < 256; ++value) {
        const double encoded = value / 255.0;
        const double linear = encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
        table[static_cast<std::size_t>(value)] = static_cast<std::uint32_t>(std::lround(linear * weight * 255 * 65536));
    }
    return table;
}

}  // namespace

std::vector<std::uint8_t> linearGreyPixels(const platform::Image& image) {
    static const auto red = linearTable(0.2126), green = linearTable(0.7152), blue = linearTable(0.0722);
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* pixel = image.pixels->data() + static_cast<std::size_t>(y) * image.stride;
        std::uint8_t* out = grey.data() + static_cast<std::size_t>(y) * image.width;
        for (int x = 0; x < image.width; ++x, pixel += 4) {
            const std::uint32_t light = blue[pixel[0]] + green[pixel[1]] + red[pixel[2]];
            out[x] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (light + 32768) >> 16));
        }
    }
    return grey;
}

}  // namespace nimbo::x11
