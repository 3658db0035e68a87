#include "platform/sim/SimImages.h"

#include <cmath>
#include <string>

namespace nimbo::sim {
namespace {

double linear(std::uint8_t encoded) {
    const double c = encoded / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

platform::Image SimImages::solid(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    auto pixels = std::make_shared<std::vector<std::uint8_t>>(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels->size(); i += 4) {
        (*pixels)[i] = blue;
        (*pixels)[i + 1] = green;
        (*pixels)[i + 2] = red;
    }
    return {width, height, width * 4, std::move(pixels)};
}

platform::Image SimImages::nearest(const platform::Image& image, int width, int height) {
    auto pixels = std::make_shared<std::vector<std::uint8_t>>(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const long fromY = static_cast<long>(y) * image.height / height;
        for (int x = 0; x < width; ++x) {
            const long fromX = static_cast<long>(x) * image.width / width;
            const auto* from = image.pixels->data() + fromY * image.stride + fromX * 4;
            std::copy(from, from + 4, pixels->data() + (static_cast<size_t>(y) * width + x) * 4);
        }
    }
    return {width, height, width * 4, std::move(pixels)};
}

std::optional<platform::Image> SimImages::scaled(const platform::Image& image, int width, int height) {
    {
        std::lock_guard<std::mutex> held(lock_);
        scales.push_back({image.width, image.height, width, height, 0, image});
        if (scaleFails) return std::nullopt;
    }
    if (image.empty() || width < 1 || height < 1) return std::nullopt;
    return nearest(image, width, height);
}

std::optional<std::vector<std::uint8_t>> SimImages::jpeg(const platform::Image& image, double quality) {
    std::lock_guard<std::mutex> held(lock_);
    jpegs.push_back({image.width, image.height, 0, 0, quality, image});
    if (jpegFails || image.empty()) return std::nullopt;
    const std::string text =
        "JPEG " + std::to_string(image.width) + "x" + std::to_string(image.height) + " q" + std::to_string(quality);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<std::vector<std::uint8_t>> SimImages::linearGrey(const platform::Image& image, int width, int height) {
    {
        std::lock_guard<std::mutex> held(lock_);
        greys.push_back({image.width, image.height, width, height, 0, image});
        if (greyFails) return std::nullopt;
    }
    if (image.empty() || width < 1 || height < 1) return std::nullopt;
    const auto fitted = nearest(image, width, height);
    std::vector<std::uint8_t> grey(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < grey.size(); ++i) {
        const auto* p = fitted.pixels->data() + i * 4;
        const double luminance = 0.2126 * linear(p[2]) + 0.7152 * linear(p[1]) + 0.0722 * linear(p[0]);
        grey[i] = static_cast<std::uint8_t>(std::lround(luminance * 255.0));
    }
    return grey;
}

}  // namespace nimbo::sim
