// The pages' typing requests. A page can only ask: the shell types only with
// a tap, click or hold of the user's own behind the request, and sends (types
// and presses Return) only on a fresh confirm click or spoken yes, once.
#include <cmath>
#include <limits>

#include "actions/Actions.h"
#include "actions/Typing.h"
#include "app/AppDelegate.h"
#include "base/Log.h"
#include "bridge/Payload.h"
#include "display/Displays.h"

namespace nimbo {
namespace {

// How long a gesture of the user's counts for typing.
constexpr double kConfirmLasts = 4.0;
constexpr double kHoldLasts = 25.0;
// A spoken yes must come this soon after the hold it was said in.
constexpr double kSpokenYesLasts = 12.0;

const std::string kSendNeedsConfirm = "tap ⌘⌥ or click Send to send it";
const std::string kTypeNeedsGesture = "hold ⌘⌥ and say it, or tap to paste it";
const std::string kNoWay = "couldn't get into that box";
const std::string kNotSeen = "I pasted it, but I can't see it in the box — have a look";
const std::string kPressReturn = "typed — press Return to send it";
const std::string kByClick = "nimbo: typed by a click at the box — ";

Json textOrNull(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json(nullptr);
}

// {x, y} as fractions of a display, from its top-left corner.
std::optional<Point> fractionPoint(const MaybeJson& value) {
    auto x = Payload::number(Payload::member(value, "x"));
    auto y = Payload::number(Payload::member(value, "y"));
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
}

Point global(const Rect& display, Point fraction) {
    return {display.minX() + fraction.x * display.size.width, display.minY() + fraction.y * display.size.height};
}

// The target a page names by capture and id, when the capture is still remembered.
std::optional<Elements::Target> listed(const MaybeJson& payload) {
    auto capture = Payload::number(Payload::member(payload, "capture"));
    auto id = Payload::text(Payload::member(payload, "elementId"));
    if (!capture || !id) return std::nullopt;
    const double number = *capture;
    if (number != std::trunc(number) || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return Elements::target(static_cast<int>(number), *id);
}

Json refusal(const std::string& why) {
    return {{"ok", false}, {"submitted", false}, {"into", nullptr}, {"why", why}};
}

Json answerOf(const Typing::Result& result) {
    return {{"ok", result.ok},
            {"submitted", result.submitted},
            {"why", textOrNull(result.why)},
            {"into", textOrNull(result.into)},
            {"verified", result.verified}};
}

Json unseen(const std::optional<std::string>& into, const std::optional<std::string>& why) {
    return {
        {"ok", false}, {"submitted", false}, {"into", textOrNull(into)}, {"verified", false}, {"why", textOrNull(why)}};
}

// Types into a box the shell could only click into, then looks for the text
// near the click, as the box's value can't be read. Never presses Return.
void typeByClick(Overlay& overlay, long long id, const std::string& text, bool submit, Point point) {
    auto result = Typing::type(text, false, nullptr);
    if (!result.ok) {
        Log::line(kByClick + "failed: " + result.why.value_or("?"));
        Bridge::resolve(overlay.web(), id, unseen(result.into, result.why));
        return;
    }
    std::weak_ptr<Overlay> sender = overlay.shared_from_this();
    Typing::seen(text, point, overlay.screen(), [sender, id, into = result.into, submit](std::optional<bool> seen) {
        Log::line(kByClick + (!seen ? "could not look" : *seen ? "seen on screen" : "NOT seen on screen"));
        auto to = sender.lock();
        if (!to) return;
        if (seen == false) return Bridge::resolve(to->web(), id, unseen(into, kNotSeen));
        Bridge::resolve(to->web(), id,
                        Json{{"ok", true},
                             {"submitted", false},
                             {"into", textOrNull(into)},
                             {"verified", seen == true},
                             {"why", submit ? Json(kPressReturn) : Json(nullptr)}});
    });
}

}  // namespace

bool AppDelegate::typingGesture(bool submit) {
    const double now = platform_.clock().now();
    if (confirmedAt && now - *confirmedAt < kConfirmLasts) return true;
    // Sending takes the fresh confirm and nothing else.
    if (submit) return false;
    if (hotkey.chordDown()) return true;
    return Actions::lastHold && now - Actions::lastHold->second < kHoldLasts;
}

void AppDelegate::typingRequest(Overlay& overlay, const BridgeMessage& message) {
    if (!message.id) return;
    const long long id = *message.id;
    const auto& payload = message.payload;
    auto answer = [&](const MaybeJson& value) { Bridge::resolve(overlay.web(), id, value); };
    const Rect display = Displays::topLeftBounds(platform_.screens(), overlay.screen());

    if (message.channel == "nimbo:confirm-spoken") {
        const double now = platform_.clock().now();
        const auto& hold = Actions::lastHold;
        if (!hold || !stagedAt || hold->first <= *stagedAt || now - hold->second >= kSpokenYesLasts) {
            return answer(Json{{"ok", false}, {"why", "no hold after the card"}});
        }
        // The hold and the card are used up.
        confirmedAt = now;
        Actions::lastHold.reset();
        stagedAt.reset();
        return answer(Json{{"ok", true}});
    }

    if (message.channel == "nimbo:field-at") {
        auto at = fractionPoint(payload);
        auto found = at ? Actions::field(global(display, *at)) : std::nullopt;
        if (!found || display.size.width <= 0 || display.size.height <= 0) return answer(Json(nullptr));
        const auto& rect = found->rect;
        return answer(Json{{"x", (rect.minX() - display.minX()) / display.size.width},
                           {"y", (rect.minY() - display.minY()) / display.size.height},
                           {"w", rect.size.width / display.size.width},
                           {"h", rect.size.height / display.size.height}});
    }

    if (message.channel != "nimbo:type") return;
    const bool submit = Payload::flag(Payload::member(payload, "submit")).value_or(false);
    if (!typingGesture(submit)) {
        Log::line(std::string("nimbo: refused to type") + (submit ? " and send" : "") +
                  " — no tap, click or hold of theirs behind it");
        return answer(refusal(submit ? kSendNeedsConfirm : kTypeNeedsGesture));
    }
    // One confirm sends once.
    if (submit) confirmedAt.reset();
    auto refuse = [&](const std::optional<std::string>& why) {
        const auto& said = why ? *why : kNoWay;
        Log::line("nimbo: type refused — " + said);
        answer(refusal(said));
    };
    const auto target = Payload::text(Payload::member(payload, "target"));
    const auto text = Payload::text(Payload::member(payload, "text")).value_or("");

    platform::AXRef field;
    if (auto named = listed(payload); named && Actions::typable().contains(named->role)) {
        auto focused = Actions::focus(*named);
        if (!focused.ok) return refuse(focused.why);
        field = named->ax;
    } else if (auto at = fractionPoint(Payload::member(payload, "at"))) {
        const Point point = global(display, *at);
        if (auto found = Actions::field(point)) {
            auto focused = Actions::focus(*found);
            if (!focused.ok) return refuse(focused.why);
            field = found->ax;
        } else if (target || Actions::blindApp(point)) {
            // A box accessibility can't see: the page pointed at it, or the
            // application keeps its fields hidden.
            auto clicked = Actions::clickToFocus(point);
            if (!clicked.ok) return refuse(clicked.why);
            return typeByClick(overlay, id, text, submit, point);
        }
    }
    answer(answerOf(Typing::type(text, submit, field)));
}

}  // namespace nimbo
