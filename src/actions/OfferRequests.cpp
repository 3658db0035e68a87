// The offer channels of the overlay and caption pages: a page proposes, the
// shell judges and holds, and only a gesture of the user's own accepts.
#include "actions/Actions.h"
#include "app/AppDelegate.h"
#include "bridge/Payload.h"

namespace nimbo {
namespace {

// The offer an accepting page means; a missing id is the empty one.
std::string idOf(const MaybeJson& payload) {
    return Payload::text(Payload::member(payload, "id")).value_or("");
}

}  // namespace

void AppDelegate::offerRequest(Overlay& overlay, const BridgeMessage& message) {
    const auto& channel = message.channel;
    const auto& payload = message.payload;
    auto sender = overlay.shared_from_this();
    if (channel == "nimbo:offer") {
        if (!message.id) return;
        const auto ticket = Actions::begin();
        offerOwner = sender;
        const Json offer = payload && payload->is_object() ? *payload : Json::object();
        // Judging may read other applications, so it runs off the main thread.
        platform_.queues().async(
            platform::Priority::userInitiated,
            [offer, ticket, id = *message.id, weak = std::weak_ptr<Overlay>(sender), &main = platform_.main()] {
                auto answer = Actions::stage(offer, ticket);
                main.post([weak, id, answer] {
                    if (auto page = weak.lock()) Bridge::resolve(page->web(), id, answer);
                });
            });
    } else if (channel == "nimbo:offer-clear") {
        Actions::clear();
        offerOwner.reset();
    } else if (channel == "nimbo:offer-accept") {
        if (!message.id) return;
        const auto id = *message.id;
        // Only the caption page shows the card, so only it can have been clicked.
        if (!caption || caption.get() != &overlay) {
            Bridge::resolve(overlay.web(), id, Json{{"ok", false}, {"why", "no click"}});
            return;
        }
        Actions::acceptByClick(idOf(payload), Payload::member(payload, "rect"), overlay.window(),
                               weakly([id, weak = std::weak_ptr<Overlay>(sender)](AppDelegate& d, const Json& result) {
                                   if (auto page = weak.lock()) Bridge::resolve(page->web(), id, result);
                                   if (result.contains("kind")) d.offerDone(result, nullptr);
                               }));
    } else if (channel == "nimbo:offer-speech") {
        auto id = message.id;
        Actions::acceptBySpeech(idOf(payload),
                                weakly([id, weak = std::weak_ptr<Overlay>(sender)](AppDelegate& d, const Json& result) {
                                    auto page = weak.lock();
                                    if (Payload::on(Payload::member(result, "ok"))) d.offerDone(result, page);
                                    if (id && page) Bridge::resolve(page->web(), *id, result);
                                }));
    }
}

void AppDelegate::offerDone(const Json& result, const std::shared_ptr<Overlay>& fallback) {
    auto to = offerOwner.lock();
    if (!to) to = fallback;
    if (!to) to = overlayOn(std::nullopt);
    if (to) to->emit("nimbo:offer-done", result);
}

}  // namespace nimbo
