#pragma once
// Picture files read with GdkPixbuf: the header without decoding the
// pixels, and a small rendering where decoding the picture is safe.
#include <optional>
#include <string>

#include "platform/MediaFacts.h"

namespace nimbo::media {

// Pictures with more pixels than this are not decoded: some loaders decode
// at full size before scaling, four bytes a pixel.
constexpr long long kMostDecodedPixels = 64LL * 1000 * 1000;

std::optional<platform::ImageFile> readImage(const std::string& path, int maxPixelSize);

}  // namespace nimbo::media
