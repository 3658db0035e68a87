#include "meeting/MediaGrant.h"

#include "base/Url.h"

namespace nimbo::MediaGrant {
namespace {

std::string hostOf(const std::string& address) {
    auto url = Url::parse(address);
    return url ? url->hostLowered() : std::string{};
}

}  // namespace

bool isNimbo(const std::string& origin, const platform::Defaults& defaults) {
    std::string host = hostOf(origin);
    if (host.empty()) return false;
    if (host == "localhost" || host == "127.0.0.1" || host == "[::1]" || host == "::1") return true;
    if (host == hostOf(appOrigin)) return true;
    auto kept = defaults.get("nimbo.origin");
    return kept && kept->is_string() && host == hostOf(kept->get<std::string>());
}

}  // namespace nimbo::MediaGrant
