#include "ask/Watch.h"

#include <algorithm>
#include <cmath>

#include "base/Base64.h"

namespace nimbo::Watch {
namespace {

constexpr double kLongSide = 320;

// A side of the picture: at least one pixel.
int side(double length, double longer) {
    return std::max(1, static_cast<int>(std::trunc(kLongSide * length / longer)));
}

}  // namespace

MaybeJson frame(platform::Platform& platform, const platform::Screen& screen) {
    auto& capture = platform.screenCapture();
    auto displays = capture.shareableDisplays();
    if (!displays || displays->empty()) return std::nullopt;
    auto chosen = std::find_if(displays->begin(), displays->end(),
                               [&](const platform::ShareableDisplay& d) { return screen.number == d.id; });
    if (chosen == displays->end()) chosen = displays->begin();

    const Size size = chosen->frame.size;
    const double longer = std::max(size.width, size.height);
    if (!(longer > 0) || !std::isfinite(longer)) return std::nullopt;
    const int width = side(size.width, longer);
    const int height = side(size.height, longer);

    // Asked for at the small size: the screen is never read at full resolution.
    auto grabbed = capture.capture(chosen->id, width, height, std::nullopt, false);
    if (!grabbed.image || grabbed.image->empty()) return std::nullopt;
    auto grey = platform.images().linearGrey(*grabbed.image, width, height);
    if (!grey || grey->size() != static_cast<size_t>(width) * static_cast<size_t>(height)) return std::nullopt;

    return Json{{"displayId", chosen->id},
                {"width", width},
                {"height", height},
                {"grey64", base64(*grey)},
                {"at", platform.clock().wallNow() * 1000.0}};
}

}  // namespace nimbo::Watch
