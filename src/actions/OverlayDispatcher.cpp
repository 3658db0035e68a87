#include <algorithm>

#include "app/AppDelegate.h"
#include "ask/Watch.h"
#include "base/Log.h"
#include "bridge/Bridge.h"

namespace nimbo {
namespace {

// A page's log payload as the line shows it: text as it is, anything else as JSON.
std::string printed(const MaybeJson& payload) {
    if (!payload) return "nil";
    if (payload->is_string()) return payload->get<std::string>();
    return payload->dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

// The overlay and caption pages' requests. A channel this shell doesn't handle
// is ignored, and an invoke on one is answered null so no page promise hangs.
void AppDelegate::handle(Overlay& overlay, const BridgeMessage& message) {
    const auto& channel = message.channel;
    const auto& payload = message.payload;
    if (channel == "nimbo:log") {
        Log::line("nimbo: [page] " + printed(payload));
    } else if (channel == "nimbo:interactive") {
        overlay.setInteractive(payload && payload->is_boolean() && payload->get<bool>());
    } else if (channel == "nimbo:steer-mode") {
        auto self = overlay.shared_from_this();
        std::erase_if(steerOwners, [&](const auto& owner) { return owner.expired() || owner.lock() == self; });
        if (payload && payload->is_boolean() && payload->get<bool>()) steerOwners.push_back(self);
        updateSteering();
    } else if (channel == "nimbo:watch-frame") {
        // The page's "hideOverlays" changes nothing: the shell is never in the picture.
        if (message.id) Bridge::resolve(overlay.web(), *message.id, Watch::frame(platform_, overlay.screen()));
    } else if (channel == "nimbo:want-cursor") {
        auto self = overlay.shared_from_this();
        std::erase_if(cursorWanters, [&](const auto& wanter) { return wanter.expired() || wanter.lock() == self; });
        if (payload && payload->is_boolean() && payload->get<bool>()) cursorWanters.push_back(self);
        pollCursor(!cursorWanters.empty());
    } else if (channel == "nimbo:capture") {
        if (message.id) captureForPage(overlay, *message.id);
    } else if (channel == "nimbo:frame-now") {
        if (message.id) Bridge::resolve(overlay.web(), *message.id, overlay.frameInfo());
    } else if (channel == "nimbo:zoom") {
        if (message.id) zoomForPage(overlay, payload, *message.id);
    } else if (channel == "nimbo:offer" || channel == "nimbo:offer-clear" || channel == "nimbo:offer-accept" ||
               channel == "nimbo:offer-speech") {
        offerRequest(overlay, message);
    } else if (channel == "nimbo:type" || channel == "nimbo:field-at" || channel == "nimbo:confirm-spoken") {
        typingRequest(overlay, message);
    } else if (message.kind == "invoke" && message.id) {
        Bridge::resolve(overlay.web(), *message.id, Json(nullptr));
    }
}

}  // namespace nimbo
