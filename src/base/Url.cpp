#include "base/Url.h"

#include <curl/curl.h>

namespace nimbo {
namespace {

struct UrlHandle {
    CURLU* handle = curl_url();
    UrlHandle() = default;
    UrlHandle(const UrlHandle&) = delete;
    UrlHandle& operator=(const UrlHandle&) = delete;
    ~UrlHandle() { curl_url_cleanup(handle); }
};

// Unknown schemes still parse: whether a scheme is acceptable is the caller's question.
constexpr unsigned kParseFlags = CURLU_NON_SUPPORT_SCHEME;

std::string decode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = hex(text[i + 1]);
            int lo = hex(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i] == '+' ? ' ' : text[i]);
    }
    return out;
}

}  // namespace

std::optional<Url> Url::parse(const std::string& text) {
    UrlHandle url;
    if (url.handle == nullptr) return std::nullopt;
    if (curl_url_set(url.handle, CURLUPART_URL, text.c_str(), kParseFlags) != CURLUE_OK) {
        return std::nullopt;
    }
    return Url(text);
}

std::string Url::part(int which) const {
    UrlHandle url;
    if (curl_url_set(url.handle, CURLUPART_URL, text_.c_str(), kParseFlags) != CURLUE_OK) return {};
    char* value = nullptr;
    if (curl_url_get(url.handle, static_cast<CURLUPart>(which), &value, 0) != CURLUE_OK || !value) {
        return {};
    }
    std::string out(value);
    curl_free(value);
    return out;
}

std::string Url::scheme() const {
    std::string s = part(CURLUPART_SCHEME);
    for (char& c : s) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    return s;
}

std::string Url::normalized() const {
    return part(CURLUPART_URL);
}

std::string Url::host() const {
    return part(CURLUPART_HOST);
}
std::string Url::hostLowered() const {
    std::string h = host();
    for (char& c : h) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    return h;
}

bool Url::hasAuthorityHost() const {
    const size_t colon = text_.find(':');
    if (colon == std::string::npos || text_.compare(colon + 1, 2, "//") != 0) return false;
    const size_t start = colon + 3;
    std::string authority = text_.substr(start, text_.find_first_of("/?#", start) - start);
    if (const size_t at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
    // "[::1]:3005" keeps its brackets; otherwise the port goes after the last ":".
    const size_t portColon = authority.rfind(':');
    if (portColon != std::string::npos && authority.find(']', portColon) == std::string::npos)
        authority.erase(portColon);
    return !authority.empty() && !host().empty();
}

std::string Url::path() const {
    return part(CURLUPART_PATH);
}
std::optional<std::string> Url::decodedPath() const {
    UrlHandle url;
    if (curl_url_set(url.handle, CURLUPART_URL, text_.c_str(), kParseFlags) != CURLUE_OK) return std::nullopt;
    char* value = nullptr;
    if (curl_url_get(url.handle, CURLUPART_PATH, &value, CURLU_URLDECODE) != CURLUE_OK || !value) return std::nullopt;
    std::string out(value);
    curl_free(value);
    return out;
}
std::string Url::user() const {
    return part(CURLUPART_USER);
}
std::string Url::password() const {
    return part(CURLUPART_PASSWORD);
}

std::optional<int> Url::port() const {
    std::string p = part(CURLUPART_PORT);
    if (p.empty()) return std::nullopt;
    return std::stoi(p);
}

std::optional<std::string> Url::fragment() const {
    if (text_.find('#') == std::string::npos) return std::nullopt;
    return part(CURLUPART_FRAGMENT);
}

std::vector<std::pair<std::string, std::string>> Url::queryItems() const {
    std::vector<std::pair<std::string, std::string>> items;
    std::string query = part(CURLUPART_QUERY);
    size_t start = 0;
    while (start <= query.size() && !query.empty()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        std::string item = query.substr(start, end - start);
        if (!item.empty()) {
            size_t eq = item.find('=');
            if (eq == std::string::npos) {
                items.emplace_back(decode(item), "");
            } else {
                items.emplace_back(decode(item.substr(0, eq)), decode(item.substr(eq + 1)));
            }
        }
        start = end + 1;
    }
    return items;
}

std::string Url::escapeQueryValue(const std::string& value) {
    static const char* hexDigits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : value) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hexDigits[c >> 4]);
            out.push_back(hexDigits[c & 15]);
        }
    }
    return out;
}

}  // namespace nimbo
