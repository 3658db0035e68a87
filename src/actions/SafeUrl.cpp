#include "actions/Actions.h"
#include "base/Url.h"

namespace nimbo::Actions {

// Only plain web addresses are handed to the browser: no files, scripts or
// other schemes, no credentials, no bare local machine names.
std::optional<std::string> safeURL(const std::string& text) {
    auto url = Url::parse(text);
    if (!url || !url->isWeb()) return std::nullopt;
    if (!url->user().empty() || !url->password().empty()) return std::nullopt;
    const auto host = url->host();
    if (host.empty() || host.find('.') == std::string::npos) return std::nullopt;
    auto normalized = url->normalized();
    if (normalized.empty()) return std::nullopt;
    return normalized;
}

}  // namespace nimbo::Actions
