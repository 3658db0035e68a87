#pragma once
// One URL parser for the whole shell, so every address is judged the same way.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nimbo {

class Url {
public:
    // Absent when `text` is not an absolute URL with a scheme.
    static std::optional<Url> parse(const std::string& text);

    const std::string& text() const { return text_; }
    // The address as the parser writes it back: what was judged is what is used.
    std::string normalized() const;
    std::string scheme() const;  // lower-cased
    std::string host() const;
    // Whether the address names its host in an authority: "//" right after the
    // scheme's ":", then a host that is not empty. The parser itself forgives
    // "http:/host" and "http:///host" and finds a host in them.
    bool hasAuthorityHost() const;
    std::optional<int> port() const;
    std::string path() const;
    // The path percent-decoded, as a file system names it; absent when it
    // decodes to a control character (a NUL would cut the name short).
    std::optional<std::string> decodedPath() const;
    std::string user() const;
    std::string password() const;
    std::optional<std::string> fragment() const;
    // Query items in order, percent-decoded; an item without "=" has an empty value.
    std::vector<std::pair<std::string, std::string>> queryItems() const;
    bool isFile() const { return scheme() == "file"; }
    bool isWeb() const { return scheme() == "http" || scheme() == "https"; }
    // The host lower-cased (hosts compare without case); empty when there is none.
    std::string hostLowered() const;

    // Percent-encodes `value` for use as a query item's name or value.
    static std::string escapeQueryValue(const std::string& value);

private:
    explicit Url(std::string text) : text_(std::move(text)) {}
    std::string part(int which) const;
    std::string text_;
};

}  // namespace nimbo
