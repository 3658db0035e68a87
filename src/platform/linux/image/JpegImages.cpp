#include "platform/linux/image/JpegImages.h"

#include "platform/linux/image/JpegEncoding.h"
#include "platform/linux/image/LinearGrey.h"
#include "platform/linux/image/Resampling.h"

namespace nimbo::x11 {

std::optional<platform::Image> JpegImages::scaled(const platform::Image& image, int width, int height) {
    return resample(image, width, height);
}

std::optional<std::vector<std::uint8_t>> JpegImages::jpeg(const platform::Image& image, double quality) {
    return encodeJpeg(image, quality);
}

std::optional<std::vector<std::uint8_t>> JpegImages::linearGrey(const platform::Image& image, int width, int height) {
    auto filled = resample(image, width, height);
    if (!filled) return std::nullopt;
    return linearGreyPixels(*filled);
}

}  // namespace nimbo::x11
