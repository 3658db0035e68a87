#pragma once
// Screenshots of one display without the shell's own windows in them, and the
// JPEG data addresses that carry screenshots, or parts of them, to the page.
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Platform.h"

namespace nimbo::Capture {

struct Shot {
    // The display's pixels at full backing resolution, the pointer drawn in.
    platform::Image image;
    // The display's top-left bounds in points.
    Rect bounds;
};

enum class Failure { noDisplay, denied };
std::string describe(Failure failure);

// A grab that failed: one of the failures above, or the capture's own words.
struct Error {
    std::optional<Failure> failure;
    std::string description;
};

struct Grab {
    std::optional<Shot> shot;  // absent when the grab failed
    Error error;
};

// One display (`screen`'s number, else the first one that can be captured),
// with every window of the shell left out but the one numbered `including`.
// Called on the main thread.
Grab grab(platform::Platform& platform, const platform::Screen& screen, std::optional<long> including);

// Whether `window` of the shell should be in a capture of `screen`, and if so
// makes it capturable and answers its number. The caller restores the
// window's sharing type after the capture.
std::optional<long> reveal(platform::Platform& platform, platform::PageWindow* window, const platform::Screen& screen);

// The whole image, scaled to about one pixel per point, as a JPEG data address.
std::optional<std::string> modelDataURL(platform::Images& images, const platform::Image& image, double pointsWide,
                                        double quality);

// The pixels of a region of `image`; absent when the region is empty or not
// wholly inside it.
std::optional<platform::Image> cut(const platform::Image& image, long x, long y, long width, long height);

struct Crop {
    std::string dataURL;
    Rect rect;  // the region as fractions of the image
};

// A region around `at` (fractions of the image, top-left origin) at least 1024
// pixels on a side, 1.6 × the wanted fractions `w` and `h`, enlarged by `grow`
// (1…4) and kept inside the image, as a JPEG data address.
std::optional<Crop> crop(platform::Images& images, const platform::Image& image, Point at, std::optional<double> w,
                         std::optional<double> h, std::optional<double> grow);

// "data:image/jpeg;base64," and the Base64 of `jpeg`.
std::string jpegDataURL(const std::vector<std::uint8_t>& jpeg);

}  // namespace nimbo::Capture
