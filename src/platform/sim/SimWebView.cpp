#include "platform/sim/SimWebView.h"

namespace nimbo::sim {

void SimWebView::callAsync(const std::string& body, const Json& arguments,
                           std::function<void(const platform::ScriptResult&)> done) {
    calls.push_back({body, arguments});
    if (done) done(platform::ScriptResult{});
}

void SimWebView::load(const std::string& url, double timeoutSeconds) {
    url_ = url;
    loads.emplace_back(url, timeoutSeconds);
}

void SimWebView::postMessage(const MaybeJson& body, bool fromMainFrame, const std::string& name) {
    auto handler = handlers.find(name);
    if (handler == handlers.end()) return;
    handler->second(platform::ScriptMessage{body, fromMainFrame});
}

// Reads the events back the way the page script would: the JSON text argument parsed.
std::vector<std::pair<std::string, Json>> SimWebView::emitted() const {
    std::vector<std::pair<std::string, Json>> out;
    for (const auto& call : calls) {
        if (call.body.find("__nimboEmit") == std::string::npos) continue;
        out.emplace_back(call.arguments.at("channel").get<std::string>(),
                         Json::parse(call.arguments.at("json").get<std::string>()));
    }
    return out;
}

std::vector<std::pair<long long, Json>> SimWebView::resolved() const {
    std::vector<std::pair<long long, Json>> out;
    for (const auto& call : calls) {
        if (call.body.find("__nimboResolve") == std::string::npos) continue;
        out.emplace_back(call.arguments.at("id").get<long long>(),
                         Json::parse(call.arguments.at("json").get<std::string>()));
    }
    return out;
}

}  // namespace nimbo::sim
