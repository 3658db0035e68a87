#include "control/OfflinePage.h"

#include "base/Url.h"

namespace nimbo::OfflinePage {
namespace {

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
    return text;
}

}  // namespace

std::string address(const std::string& url) {
    auto parsed = Url::parse(url);
    if (!parsed) return {};
    std::string text = parsed->host();
    if (auto port = parsed->port()) text += (text.empty() ? "" : ":") + std::to_string(*port);
    return text;
}

std::string html(const std::string& address) {
    std::string shown = replaced(replaced(address, "&", "&amp;"), "<", "&lt;");
    return "<!doctype html><html><head><meta charset=\"utf-8\"><style>"
           "html,body{height:100%;margin:0}"
           "body{display:flex;align-items:center;justify-content:center;padding:0 24px;text-align:center;"
           "font:15px/1.5 -apple-system,system-ui,sans-serif;color:#2b2b2b;background:#fbfaf7}"
           "p{max-width:440px}small{color:#777}"
           "</style></head><body><p>nimbo can’t reach its server (" +
           shown +
           ") right now.<br><small>It keeps trying — this opens by itself once it can.</small></p>"
           "</body></html>";
}

}  // namespace nimbo::OfflinePage
