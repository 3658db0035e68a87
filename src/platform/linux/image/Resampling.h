#pragma once
// Separable resampling of BGRX pictures with a Lanczos-3 window, widened by
// the reduction factor when shrinking so every source pixel counts (no
// aliasing of thin lines and text as nearest or plain bilinear would give).
#include <optional>

#include "platform/Images.h"

namespace nimbo::x11 {

// The picture drawn into width × height pixels; absent for an empty picture
// or a size below 1 × 1. The same picture comes back when the size is its own.
std::optional<platform::Image> resample(const platform::Image& image, int width, int height);

}  // namespace nimbo::x11
