#include "ask/Capture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Base64.h"
#include "display/Displays.h"

namespace nimbo::Capture {
namespace {

Grab failed(Failure failure) {
    return {std::nullopt, {failure, describe(failure)}};
}

// Whole pixels of a length; nonsense lengths give none, and the capture fails.
int wholePixels(double length) {
    return length >= 1 && length < 1e6 ? static_cast<int>(length) : 0;
}

bool sameDisplay(const platform::Screen& a, const platform::Screen& b) {
    if (a.number && b.number) return *a.number == *b.number;
    return a.frame == b.frame;
}

// The display holding the largest part of an AppKit frame, as a window's
// screen is decided.
std::optional<platform::Screen> screenHolding(const platform::Screens& screens, const Rect& frame) {
    std::optional<platform::Screen> best;
    double bestArea = 0;
    for (const auto& screen : screens.screens()) {
        const Rect& s = screen.frame;
        const double w = std::min(s.maxX(), frame.maxX()) - std::max(s.minX(), frame.minX());
        const double h = std::min(s.maxY(), frame.maxY()) - std::max(s.minY(), frame.minY());
        if (w > 0 && h > 0 && w * h > bestArea) {
            bestArea = w * h;
            best = screen;
        }
    }
    return best;
}

// Half the region's side, in pixels, for a wanted fraction `f` of an image
// side whose half is `half`; absent or non-positive fractions count as 0.
long span(std::optional<double> f, long half) {
    const double wanted = f && *f > 0 ? *f : 0.0;
    const double region = std::min(static_cast<double>(half), std::trunc(3.2 * wanted * static_cast<double>(half)));
    return std::max(1024L, static_cast<long>(region));
}

// The left (or top) edge of a region `size` long centred on the fraction `at`
// of `length`, kept inside it.
long start(double at, long length, long size) {
    const long half = size / 2;  // whole pixels
    double edge = std::trunc(at * static_cast<double>(length)) - static_cast<double>(half);
    edge = std::min(edge, static_cast<double>(length - size));
    return static_cast<long>(std::max(edge, 0.0));
}

}  // namespace

std::string describe(Failure failure) {
    switch (failure) {
        case Failure::noDisplay:
            return "No matching display in the shareable content.";
        case Failure::denied:
            return "Screen Recording permission is not granted.";
    }
    return {};
}

std::string jpegDataURL(const std::vector<std::uint8_t>& jpeg) {
    return "data:image/jpeg;base64," + base64(jpeg);
}

Grab grab(platform::Platform& platform, const platform::Screen& screen, std::optional<long> including) {
    auto& capture = platform.screenCapture();
    auto& screens = platform.screens();
    auto displays = capture.shareableDisplays();
    if (!displays) return failed(Failure::denied);
    // A display that went away since the press is replaced by the first one.
    auto chosen = std::find_if(displays->begin(), displays->end(),
                               [&](const platform::ShareableDisplay& d) { return screen.number == d.id; });
    const bool matched = chosen != displays->end();
    if (!matched) chosen = displays->begin();
    if (chosen == displays->end()) return failed(Failure::noDisplay);
    // The picture's bounds are those of the display actually captured.
    Rect bounds = matched ? Displays::topLeftBounds(screens, screen) : chosen->frame;
    double scale = screen.backingScale;
    if (!matched) {
        for (const auto& other : screens.screens()) {
            if (other.number == chosen->id) scale = other.backingScale;
        }
    }
    // The backend leaves the shell's windows out but the one included.
    auto grabbed = capture.capture(chosen->id, wholePixels(chosen->frame.size.width * scale),
                                   wholePixels(chosen->frame.size.height * scale), including, true);
    if (!grabbed.image || grabbed.image->empty()) {
        return {std::nullopt, {std::nullopt, grabbed.error.empty() ? "the capture gave no picture" : grabbed.error}};
    }
    return {Shot{std::move(*grabbed.image), bounds}, {}};
}

std::optional<long> reveal(platform::Platform& platform, platform::PageWindow* window, const platform::Screen& screen) {
    if (!window || !window->isVisible() || window->isMiniaturized() || !window->isOnScreenVisible()) {
        return std::nullopt;
    }
    auto on = screenHolding(platform.screens(), window->frame());
    if (!on || !sameDisplay(*on, screen)) return std::nullopt;
    if (window->sharingType() == platform::SharingType::none) window->setSharingType(platform::SharingType::readOnly);
    const long number = window->windowNumber();
    if (number < 0 || number > 0xFFFFFFFFL) return std::nullopt;
    return number;
}

std::optional<std::string> modelDataURL(platform::Images& images, const platform::Image& image, double pointsWide,
                                        double quality) {
    if (image.empty()) return std::nullopt;
    // Already within 1.2 pixels per point: sent as it is.
    const double w = std::round(pointsWide);
    std::optional<platform::Image> smaller;
    if (w >= 1 && static_cast<double>(image.width) > std::floor(1.2 * w)) {
        const double h = std::round(w * image.height / image.width);
        if (h >= 1) smaller = images.scaled(image, static_cast<int>(w), static_cast<int>(h));
        if (smaller && smaller->empty()) smaller.reset();
    }
    auto jpeg = images.jpeg(smaller ? *smaller : image, quality);
    if (!jpeg) return std::nullopt;
    return jpegDataURL(*jpeg);
}

std::optional<platform::Image> cut(const platform::Image& image, long x, long y, long width, long height) {
    if (image.empty() || x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > image.width ||
        y + height > image.height) {
        return std::nullopt;
    }
    const size_t needed = static_cast<size_t>(image.stride) * static_cast<size_t>(image.height);
    if (image.stride < image.width * 4 || image.pixels->size() < needed) return std::nullopt;
    auto pixels = std::make_shared<std::vector<std::uint8_t>>(static_cast<size_t>(width * height * 4));
    for (long row = 0; row < height; ++row) {
        const auto* from = image.pixels->data() + (y + row) * image.stride + x * 4;
        std::memcpy(pixels->data() + row * width * 4, from, static_cast<size_t>(width * 4));
    }
    return platform::Image{static_cast<int>(width), static_cast<int>(height), static_cast<int>(width * 4),
                           std::move(pixels)};
}

std::optional<Crop> crop(platform::Images& images, const platform::Image& image, Point at, std::optional<double> w,
                         std::optional<double> h, std::optional<double> grow) {
    if (image.empty() || std::isnan(at.x) || std::isnan(at.y)) return std::nullopt;
    const long W = image.width;
    const long H = image.height;
    const double g = grow && !std::isnan(*grow) ? std::clamp(*grow, 1.0, 4.0) : 1.0;
    const long cw = std::min(W, static_cast<long>(g * static_cast<double>(span(w, W / 2))));
    const long ch = std::min(H, static_cast<long>(g * static_cast<double>(span(h, H / 2))));
    if (cw <= 0 || ch <= 0) return std::nullopt;
    const long x0 = start(at.x, W, cw);
    const long y0 = start(at.y, H, ch);
    auto region = cut(image, x0, y0, cw, ch);
    if (!region) return std::nullopt;
    auto jpeg = images.jpeg(*region, 0.92);
    if (!jpeg) return std::nullopt;
    auto fraction = [](long part, long whole) { return static_cast<double>(part) / static_cast<double>(whole); };
    return Crop{jpegDataURL(*jpeg), {{fraction(x0, W), fraction(y0, H)}, {fraction(cw, W), fraction(ch, H)}}};
}

}  // namespace nimbo::Capture
