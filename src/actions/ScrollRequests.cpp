// Scrolling another application for the page, which happens only while the
// user lets pages walk through documents on their own.
#include <algorithm>
#include <cmath>

#include "actions/Scrolling.h"
#include "app/AppDelegate.h"
#include "bridge/Bridge.h"
#include "bridge/Payload.h"

namespace nimbo {

double Scrolling::pages(const MaybeJson& payload) {
    double asked = Payload::number(Payload::member(payload, "pages")).value_or(0.85);
    if (std::isnan(asked)) asked = 0.85;
    return std::clamp(asked, 0.2, 1.5);
}

void AppDelegate::scrollRequest(Overlay& overlay, const BridgeMessage& message) {
    if (!message.id) return;
    if (!autoWalkOn()) {
        return Bridge::resolve(overlay.web(), *message.id, Json{{"ok", false}, {"why", "auto walk is off"}});
    }
    // The scrolling itself arrives with the scroller, which takes Scrolling::pages.
    Bridge::resolve(overlay.web(), *message.id, Json(nullptr));
}

}  // namespace nimbo
