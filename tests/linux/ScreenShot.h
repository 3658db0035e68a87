#pragma once
// What the X server shows, read back the way a screenshot tool reads it.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Images.h"

namespace nimbo::test {

class ScreenShot {
public:
    // The root window's pixels in the given root rectangle.
    static ScreenShot of(int x, int y, int width, int height);
    // A BGRX picture's pixels in the given rectangle of it.
    static ScreenShot of(const platform::Image& image, int x, int y, int width, int height);
    static ScreenShot of(const platform::Image& image) { return of(image, 0, 0, image.width, image.height); }

    // 0xRRGGBB at a point relative to the shot's top-left corner.
    std::uint32_t at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    // How many pixels of the rectangle (relative to the shot) differ from
    // `other`'s by more than `tolerance` in any channel.
    int differing(const ScreenShot& other, int x, int y, int width, int height, int tolerance = 2) const;
    int differing(const ScreenShot& other) const { return differing(other, 0, 0, width_, height_); }
    // The shot as a BGRX picture, as a capture hands it out.
    platform::Image image() const;
    // Kept as NAME.png in the folder $NIMBO_TEST_SHOTS names, when it does, for a person to look at.
    void keep(const std::string& name) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// Whether two 0xRRGGBB colours are within `tolerance` in every channel.
bool near(std::uint32_t a, std::uint32_t b, int tolerance = 2);

}  // namespace nimbo::test
