#pragma once
// JPEG through libjpeg-turbo, which reads the BGRX rows as they lie in memory.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Images.h"

namespace nimbo::x11 {

// The picture as baseline JPEG (4:2:0) at a quality of 0…1 (clamped); absent
// for an empty picture or when the encoder fails.
std::optional<std::vector<std::uint8_t>> encodeJpeg(const platform::Image& image, double quality);

}  // namespace nimbo::x11
