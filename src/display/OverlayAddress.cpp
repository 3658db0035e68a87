#include "display/OverlayAddress.h"

#include "base/Url.h"
#include "display/NumberText.h"

namespace nimbo::OverlayAddress {

std::optional<std::string> forDisplay(const std::string& origin, const Rect& topLeftBounds) {
    std::string base = origin + "/spatial/overlay";
    if (!Url::parse(base)) return std::nullopt;
    using NumberText::truncated;
    const Rect& b = topLeftBounds;
    std::string address = base + "?display=" + truncated(b.origin.x) + "&dx=" + truncated(b.origin.x) +
                          "&dy=" + truncated(b.origin.y) + "&dw=" + truncated(b.size.width) +
                          "&dh=" + truncated(b.size.height);
    if (!Url::parse(address)) return std::nullopt;
    return address;
}

}  // namespace nimbo::OverlayAddress
