#pragma once
// Pictures of the screen and what is done with them: scaling, JPEG, grey.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace nimbo::platform {

// Pixels in memory order blue, green, red, unused (as the X server hands them
// out), rows from the top, `stride` bytes apart.
struct Image {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::shared_ptr<const std::vector<std::uint8_t>> pixels;
    bool empty() const { return width <= 0 || height <= 0 || !pixels; }
};

// Safe to call from any thread.
class Images {
public:
    virtual ~Images() = default;
    // The image drawn into width × height pixels with a high-quality filter;
    // absent when it can't be made.
    virtual std::optional<Image> scaled(const Image& image, int width, int height) = 0;
    // JPEG bytes at a quality of 0…1; absent when encoding fails.
    virtual std::optional<std::vector<std::uint8_t>> jpeg(const Image& image, double quality) = 0;
    // The image scaled to fill width × height, one linear-grey byte per pixel
    // (0 black, 255 white), rows from the top; absent when it can't be made.
    virtual std::optional<std::vector<std::uint8_t>> linearGrey(const Image& image, int width, int height) = 0;
};

}  // namespace nimbo::platform
