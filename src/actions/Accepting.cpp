// Accepting the held offer: only with a gesture the shell saw itself, made
// after the offer was shown, and only once.
#include <algorithm>
#include <cmath>

#include "actions/Actions.h"
#include "actions/Desktop.h"
#include "actions/HeldOffer.h"
#include "base/Log.h"
#include "bridge/Payload.h"
#include "screen/Rects.h"

namespace nimbo::Actions {
namespace {

// A click on the card counts this long after the button went down.
constexpr double kClickSeconds = 1.5;
// The card's rectangle is grown by this much for a click near its edge.
constexpr double kCardMargin = 6.0;
// A spoken yes counts this long after the hold ended.
constexpr double kSpokenSeconds = 12.0;

Json refusal(const std::string& why) {
    return Json{{"ok", false}, {"why", why}};
}

// The card's rectangle in window coordinates from the top-left, from the page's numbers.
std::optional<Rect> cardRect(const MaybeJson& rect) {
    auto number = [&](const char* name) { return Payload::number(Payload::member(rect, name)); };
    auto x = number("x");
    auto y = number("y");
    auto w = number("w");
    auto h = number("h");
    if (!x || !y || !w || !h) return std::nullopt;
    // A rectangle given from its far corner is the same rectangle.
    return Rect{{std::min(*x, *x + *w), std::min(*y, *y + *h)}, {std::abs(*w), std::abs(*h)}};
}

Rect grown(Rect rect, double margin) {
    return {{rect.minX() - margin, rect.minY() - margin},
            {rect.size.width + 2 * margin, rect.size.height + 2 * margin}};
}

// Words take a while to scroll to, so that kind runs off the main thread.
void start(const Pending& pending, const std::string& by, const Done& done) {
    if (pending.kind == "scroll") {
        run(pending, by, done);
        return;
    }
    auto outcome = perform(pending);
    done(report(by, pending, outcome.ok, outcome.why));
}

}  // namespace

void acceptByClick(const std::string& id, const MaybeJson& rect, OverlayWindow& window, Done done) {
    const double now = desktop().clock().now();
    auto down = window.lastMouseDown;
    auto card = cardRect(rect);
    if (!down || !(now - down->time < kClickSeconds) || !card) {
        done(refusal("no click"));
        return;
    }
    // The window reports its clicks from the bottom-left; the page measures from the top.
    const double height = window.page().frame().size.height;
    const Point point{down->point.x, height - down->point.y};
    if (!Rects::contains(grown(*card, kCardMargin), point)) {
        done(refusal("no click"));
        return;
    }
    window.consumeMouseDown();
    auto taken = detail::take({down->time, id, false});
    if (!taken) {
        done(refusal("that offer has gone"));
        return;
    }
    start(*taken, "click", done);
}

bool acceptByTap(double pressBegan, Done done) {
    auto taken = detail::take({pressBegan, std::nullopt, true});
    if (!taken) return false;
    start(*taken, "tap", done);
    return true;
}

void acceptBySpeech(const std::string& id, Done done) {
    const double now = desktop().clock().now();
    if (!lastHold || !(now - lastHold->second < kSpokenSeconds)) {
        done(refusal("no hold"));
        return;
    }
    auto taken = detail::take({lastHold->first, id, false});
    if (!taken) {
        done(refusal("that offer has gone"));
        return;
    }
    lastHold.reset();
    start(*taken, "speech", done);
}

void run(const Pending& pending, const std::string& by, Done done) {
    auto& platform = desktop();
    platform.queues().async(platform::Priority::userInitiated, [pending, by, done = std::move(done), &platform] {
        auto outcome = perform(pending);
        platform.main().post([pending, by, done, outcome] { done(report(by, pending, outcome.ok, outcome.why)); });
    });
}

Json report(const std::string& by, const Pending& pending, bool ok, const std::optional<std::string>& why) {
    Log::line("nimbo: offer " + pending.kind + " by " + by + " — " + (ok ? "done" : "refused: " + why.value_or("?")));
    return Json{
        {"id", pending.id}, {"ok", ok}, {"why", why ? Json(*why) : Json(nullptr)}, {"by", by}, {"kind", pending.kind}};
}

}  // namespace nimbo::Actions
