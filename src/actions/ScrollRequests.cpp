// Scrolling another application for the page, which happens only while the
// user lets pages walk through documents on their own.
#include <algorithm>
#include <cmath>

#include "actions/Scrolling.h"
#include "app/AppDelegate.h"
#include "base/Log.h"
#include "bridge/Bridge.h"
#include "bridge/Payload.h"
#include "screen/AutoScroll.h"
#include "screen/ScrollTo.h"

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
    const bool down = message.channel == "nimbo:scroll";
    const double pages = Scrolling::pages(message.payload);
    const std::string find = Payload::text(Payload::member(message.payload, "find")).value_or("");
    // Both talk to another application and may wait on it, so they run off the main thread.
    platform_.queues().async(
        platform::Priority::userInitiated,
        [down, pages, find, id = *message.id, weak = std::weak_ptr<Overlay>(overlay.shared_from_this()),
         &main = platform_.main()] {
            auto result = down ? AutoScroll::down(pages) : ScrollTo::text(find);
            Log::line(std::string(down ? "nimbo: auto walk scroll — " : "nimbo: scroll to the words — ") +
                      (result.ok ? "scrolled" : "not scrolled: " + result.why.value_or("?")));
            Json answer{{"ok", result.ok}, {"why", result.why ? Json(*result.why) : Json(nullptr)}};
            main.post([weak, id, answer] {
                if (auto page = weak.lock()) Bridge::resolve(page->web(), id, answer);
            });
        });
}

}  // namespace nimbo
