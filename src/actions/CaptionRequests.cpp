// The caption's traffic. The overlay pages write the caption, the caption page
// shows it (and the offer card) in the notch; one overlay at a time owns it, so
// a page on another display can't talk over the one the user is looking at.
#include "app/AppDelegate.h"
#include "base/Log.h"
#include "bridge/Bridge.h"
#include "bridge/Payload.h"

namespace nimbo {
namespace {

// A click on the caption card counts as a confirm for this long.
constexpr double kConfirmClickSeconds = 4.0;

// A caption that places itself claims the caption; "idle" and "pop" only
// settle or flash what is shown.
bool claimsCaption(const BridgeMessage& message) {
    if (message.channel != "nimbo:caption") return false;
    auto at = Payload::text(Payload::member(message.payload, "at"));
    return at && *at != "idle" && *at != "pop";
}

}  // namespace

void AppDelegate::captionRequest(Overlay& overlay, const BridgeMessage& message) {
    const auto& channel = message.channel;
    const auto& payload = message.payload;
    const bool fromCaption = caption.get() == &overlay;

    if (channel == "nimbo:interactive") {
        bool solid = Payload::on(payload);
        if (fromCaption) {
            // With a panel showing, the caption takes the mouse only while the
            // pointer is at the notch, so it can't block clicks below it.
            if (solid && panel && !pointerInDoor()) return;
            captionHeld = solid;
        }
        overlay.setInteractive(solid);
    } else if (channel == "nimbo:caption" || channel == "nimbo:level" || channel == "nimbo:spoken") {
        if (!caption || fromCaption) return;
        auto owner = captionFrom.lock();
        if (claimsCaption(message)) {
            captionFrom = overlay.weak_from_this();
        } else if (owner && owner.get() != &overlay) {
            return;
        }
        Bridge::emit(caption->web(), channel, payload);
    } else if (!fromCaption) {
        // The card's acts and the island's reports come from the caption page alone.
    } else if (channel == "nimbo:caption-act") {
        if (Payload::text(Payload::member(payload, "kind")) == "confirm") {
            auto& window = caption->window();
            auto click = window.lastMouseDown;
            if (!click || !(platform_.clock().now() - click->time < kConfirmClickSeconds)) {
                Log::line("nimbo: a confirm from the notch with no click on it — not passed on");
                return;
            }
            window.consumeMouseDown();  // one click confirms once
            confirmedAt = platform_.clock().now();
        }
        if (auto owner = captionFrom.lock()) return Bridge::emit(owner->web(), channel, payload);
        for (const auto& each : overlays) Bridge::emit(each->web(), channel, payload);
    } else if (channel == "nimbo:caption-panel") {
        auto w = Payload::number(Payload::member(payload, "w"));
        auto h = Payload::number(Payload::member(payload, "h"));
        if (!w || !h || !(*w > 0) || !(*h > 0)) return;
        panel = Panel{*w, *h, Payload::text(Payload::member(payload, "mode")).value_or("")};
    } else if (channel == "nimbo:caption-shape") {
        followGlass(payload);
    }
}

}  // namespace nimbo
