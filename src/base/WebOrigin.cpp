#include "base/WebOrigin.h"

#include "base/Url.h"

namespace nimbo {

std::string webOrigin(const std::string& address) {
    auto url = Url::parse(address);
    if (!url) return "null";
    const std::string scheme = url->scheme();
    if (scheme != "http" && scheme != "https") return "null";
    std::string host = url->host();
    if (host.empty()) return "null";
    for (char& c : host) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    std::string origin = scheme + "://" + host;
    const int defaultPort = scheme == "http" ? 80 : 443;
    if (auto port = url->port(); port && *port != defaultPort) origin += ":" + std::to_string(*port);
    return origin;
}

}  // namespace nimbo
