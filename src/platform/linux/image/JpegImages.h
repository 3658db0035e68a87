#pragma once
#include "platform/Images.h"

namespace nimbo::x11 {

// Scaling with a Lanczos-3 filter, JPEG through libjpeg-turbo, linear grey.
// Keeps no state, so any thread may call it.
class JpegImages final : public platform::Images {
public:
    std::optional<platform::Image> scaled(const platform::Image& image, int width, int height) override;
    std::optional<std::vector<std::uint8_t>> jpeg(const platform::Image& image, double quality) override;
    std::optional<std::vector<std::uint8_t>> linearGrey(const platform::Image& image, int width, int height) override;
};

}  // namespace nimbo::x11
