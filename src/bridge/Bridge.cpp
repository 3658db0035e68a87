#include "bridge/Bridge.h"

#include "base/Log.h"
#include "base/WebOrigin.h"
#include "bridge/BridgeScript.h"

#include <climits>
#include <cmath>

namespace nimbo::Bridge {
namespace {

// The scripts are constant: values arrive only as named arguments.
constexpr const char* kEmitScript = "if (window.__nimboEmit) window.__nimboEmit(channel, JSON.parse(json));";
constexpr const char* kResolveScript = "if (window.__nimboResolve) window.__nimboResolve(id, JSON.parse(json));";

bool isPlainJson(const Json& value) {
    switch (value.type()) {
        case Json::value_t::number_float:
            return std::isfinite(value.get<double>());
        case Json::value_t::binary:
        case Json::value_t::discarded:
            return false;
        case Json::value_t::array:
        case Json::value_t::object:
            for (const auto& element : value) {
                if (!isPlainJson(element)) return false;
            }
            return true;
        default:
            return true;
    }
}

}  // namespace

std::optional<std::string> jsonText(const Json& value) {
    if (!isPlainJson(value)) return std::nullopt;
    try {
        // Strict UTF-8: text that isn't valid has no JSON form.
        return value.dump(-1, ' ', false, Json::error_handler_t::strict);
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

std::string encode(const MaybeJson& value) {
    if (!value) return "null";
    return jsonText(*value).value_or("null");
}

void emit(platform::WebView& web, const std::string& channel, const MaybeJson& payload) {
    web.callAsync(kEmitScript, Json{{"channel", channel}, {"json", encode(payload)}});
}

void resolve(platform::WebView& web, long long id, const MaybeJson& value) {
    web.callAsync(kResolveScript, Json{{"id", id}, {"json", encode(value)}});
}

std::optional<BridgeMessage> receive(const platform::ScriptMessage& message) {
    if (!message.fromMainFrame || !message.body || !message.body->is_object()) return std::nullopt;
    const Json& body = *message.body;
    auto kind = body.find("kind");
    auto channel = body.find("channel");
    if (kind == body.end() || !kind->is_string()) return std::nullopt;
    if (channel == body.end() || !channel->is_string()) return std::nullopt;

    BridgeMessage out;
    out.kind = kind->get<std::string>();
    out.channel = channel->get<std::string>();
    if (auto payload = body.find("payload"); payload != body.end()) out.payload = *payload;
    if (auto id = body.find("id"); id != body.end()) {
        // Only a whole number is an id; 1.5 or "1" is not.
        if (id->is_number_unsigned()) {
            auto value = id->get<unsigned long long>();
            if (value <= static_cast<unsigned long long>(LLONG_MAX)) out.id = static_cast<long long>(value);
        } else if (id->is_number_integer()) {
            out.id = id->get<long long>();
        } else if (id->is_number_float()) {
            double d = id->get<double>();
            if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e15) {
                out.id = static_cast<long long>(d);
            }
        }
    }
    return out;
}

void install(platform::WebView& web, const std::string& pageAddress,
             std::function<void(const BridgeMessage&)> onMessage) {
    const std::string origin = webOrigin(pageAddress);
    web.addUserScript({bridgeScriptSource(), true, origin});
    // Shared: the view may copy the handler before each call.
    auto lastForeign = std::make_shared<std::string>();
    auto handler = [origin, lastForeign, onMessage = std::move(onMessage)](const platform::ScriptMessage& message) {
        // Any other origin's document is a stranger, whatever it posts.
        if (message.origin != origin) {
            if (message.document != *lastForeign) {
                *lastForeign = message.document;
                Log::line("nimbo: a page from " + message.origin + " has no bridge — its messages are dropped");
            }
            return;
        }
        if (auto received = receive(message)) onMessage(*received);
    };
    web.setMessageHandler("nimbo", std::move(handler));
}

}  // namespace nimbo::Bridge
