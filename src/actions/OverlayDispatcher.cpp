#include <set>

#include "app/AppDelegate.h"
#include "ask/Watch.h"
#include "base/Log.h"
#include "base/Text.h"
#include "bridge/Bridge.h"
#include "bridge/Payload.h"
#include "meeting/MeetingRecorder.h"
#include "screen/ReadPage.h"

namespace nimbo {
namespace {

// A page's log payload as the line shows it: text as it is, anything else as JSON.
std::string printed(const MaybeJson& payload) {
    if (!payload) return "nil";
    if (payload->is_string()) return payload->get<std::string>();
    return payload->dump(-1, ' ', false, Json::error_handler_t::replace);
}

// A page reads at most this much of the clipboard, in characters.
constexpr std::size_t kClipboardCharacters = 20000;

const std::set<std::string> kCaptionChannels{"nimbo:interactive",  "nimbo:caption",     "nimbo:level",
                                             "nimbo:spoken",       "nimbo:caption-act", "nimbo:caption-panel",
                                             "nimbo:caption-shape"};
const std::set<std::string> kSettingChannels{"nimbo:pref-get",     "nimbo:notch-look", "nimbo:personality-now",
                                             "nimbo:quiet-now",    "nimbo:set-quiet",  "nimbo:set-personality",
                                             "nimbo:personalities"};
const std::set<std::string> kOpeningChannels{"nimbo:type-instead", "nimbo:open-board", "nimbo:open-learn",
                                             "nimbo:open-nimbo"};
const std::set<std::string> kOfferChannels{"nimbo:offer", "nimbo:offer-clear", "nimbo:offer-accept",
                                           "nimbo:offer-speech"};
const std::set<std::string> kTypingChannels{"nimbo:type", "nimbo:field-at", "nimbo:confirm-spoken"};

// Keeps `self` in a weak set once, or takes it out.
void keepIn(std::vector<std::weak_ptr<Overlay>>& set, const std::shared_ptr<Overlay>& self, bool in) {
    std::erase_if(set, [&](const auto& member) { return member.expired() || member.lock() == self; });
    if (in) set.push_back(self);
}

}  // namespace

// The overlay and caption pages' requests. A page only proposes: anything
// that reaches into another application is gated here or by the handler the
// channel goes to. A channel this shell doesn't handle (the control center's
// own among them) is ignored, and an invoke on one is answered null so no
// page promise hangs.
void AppDelegate::handle(Overlay& overlay, const BridgeMessage& message) {
    const auto& channel = message.channel;
    const auto& payload = message.payload;
    auto answer = [&](const MaybeJson& value) {
        if (message.id) Bridge::resolve(overlay.web(), *message.id, value.value_or(nullptr));
    };

    if (kCaptionChannels.contains(channel)) {
        captionRequest(overlay, message);
    } else if (kSettingChannels.contains(channel)) {
        settingRequest(overlay, message);
    } else if (kOpeningChannels.contains(channel)) {
        openingRequest(overlay, message);
    } else if (kOfferChannels.contains(channel)) {
        offerRequest(overlay, message);
    } else if (kTypingChannels.contains(channel)) {
        typingRequest(overlay, message);
    } else if (channel == "nimbo:scroll" || channel == "nimbo:scroll-to") {
        scrollRequest(overlay, message);
    } else if (channel == "nimbo:log") {
        Log::line("nimbo: [page] " + printed(payload));
    } else if (channel == "nimbo:haptic") {
        platform_.haptics().alignmentTap();
    } else if (channel == "nimbo:staged") {
        stagedAt = platform_.clock().now();
    } else if (channel == "nimbo:steer-mode") {
        keepIn(steerOwners, overlay.shared_from_this(), Payload::on(payload));
        updateSteering();
    } else if (channel == "nimbo:want-cursor") {
        keepIn(cursorWanters, overlay.shared_from_this(), Payload::on(payload));
        pollCursor(!cursorWanters.empty());
    } else if (channel == "nimbo:watch-frame") {
        // The page's "hideOverlays" changes nothing: the shell is never in the picture.
        if (message.id) answer(Watch::frame(platform_, overlay.screen()));
    } else if (channel == "nimbo:capture") {
        if (message.id) captureForPage(overlay, *message.id);
    } else if (channel == "nimbo:frame-now") {
        answer(overlay.frameInfo());
    } else if (channel == "nimbo:zoom") {
        if (message.id) zoomForPage(overlay, payload, *message.id);
    } else if (channel == "nimbo:housing") {
        if (message.id) answer(housingFor(overlay));
    } else if (channel == "nimbo:clipboard") {
        if (!message.id) return;
        auto copied = platform_.pasteboard().string();
        answer(copied ? MaybeJson(Text::prefix(*copied, kClipboardCharacters)) : std::nullopt);
    } else if (channel == "nimbo:caption-size") {
        // The caption window keeps its own size; the island follows the page's shape reports.
    } else if (channel == "nimbo:meeting-start") {
        if (!Payload::text(Payload::member(payload, "id"))) return answer(Json{{"ok", false}});
        answer(std::nullopt);  // starting a recording arrives with the recorder
    } else if (channel == "nimbo:meeting-stop") {
        if (!message.id) return;
        MeetingRecorder::shared().stop([web = overlay.weak_from_this(), id = *message.id] {
            if (auto page = web.lock()) Bridge::resolve(page->web(), id, true);
        });
    } else if (channel == "nimbo:read-page") {
        // The page's screen count changes nothing: reading scrolls nothing.
        if (!message.id) return;
        platform_.queues().async(platform::Priority::userInitiated,
                                 [&main = platform_.main(), page = overlay.weak_from_this(), id = *message.id] {
                                     main.post([page, id, reading = ReadPage::read()] {
                                         if (auto asked = page.lock()) Bridge::resolve(asked->web(), id, reading);
                                     });
                                 });
    } else if (channel == "nimbo:meeting-now") {
        answer(MeetingRecorder::shared().state());
    } else if (message.kind == "invoke") {
        // Channels this shell doesn't handle, and one whose owner is not here yet:
        // "nimbo:guide-now" (the walk-through's pointing).
        answer(std::nullopt);
    }
}

}  // namespace nimbo
