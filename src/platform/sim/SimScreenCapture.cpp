#include "platform/sim/SimScreenCapture.h"

#include <algorithm>

#include "platform/sim/SimImages.h"

namespace nimbo::sim {

std::optional<std::vector<platform::ShareableDisplay>> SimScreenCapture::shareableDisplays() {
    if (refused) return std::nullopt;
    return displays;
}

platform::Grab SimScreenCapture::capture(long long displayId, int width, int height, std::optional<long> including,
                                         bool showCursor) {
    requests.push_back({displayId, width, height, including, showCursor});
    if (refused) return {std::nullopt, "not allowed to capture the screen"};
    if (!failure.empty()) return {std::nullopt, failure};
    const bool known = std::any_of(displays.begin(), displays.end(),
                                   [&](const platform::ShareableDisplay& d) { return d.id == displayId; });
    if (!known || width < 1 || height < 1) return {std::nullopt, "no such display"};
    auto picture = pictures.find(displayId);
    if (picture == pictures.end()) return {SimImages::solid(width, height, 128, 128, 128), {}};
    return {SimImages::nearest(picture->second, width, height), {}};
}

}  // namespace nimbo::sim
