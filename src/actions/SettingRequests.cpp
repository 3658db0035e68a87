// The settings an overlay page reads and changes. A change the user makes on
// one page is pushed to every page, so they all agree.
#include "app/AppDelegate.h"
#include "bridge/Bridge.h"
#include "bridge/Payload.h"
#include "control/Prefs.h"

namespace nimbo {
namespace {

bool isNotchLook(const std::string& look) {
    return look == "black" || look == "frosted" || look == "liquid";
}

std::vector<StatusMenu::Personality> personalitiesIn(const MaybeJson& payload) {
    std::vector<StatusMenu::Personality> list;
    if (!payload || !payload->is_array()) return list;
    for (const auto& entry : *payload) {
        auto id = Payload::text(Payload::member(entry, "id"));
        auto name = Payload::text(Payload::member(entry, "name"));
        if (!id || !name) continue;
        list.push_back({*id, *name, Payload::text(Payload::member(entry, "blurb")).value_or("")});
    }
    return list;
}

}  // namespace

void AppDelegate::settingRequest(Overlay& overlay, const BridgeMessage& message) {
    const auto& channel = message.channel;
    const auto& payload = message.payload;
    auto answer = [&](const MaybeJson& value) {
        if (message.id) Bridge::resolve(overlay.web(), *message.id, value.value_or(nullptr));
    };

    if (channel == "nimbo:pref-get") {
        // An overlay page reads only the keys meant for it; the rest stay the control center's.
        auto key = Payload::text(payload).value_or("");
        answer(Prefs::overlay.contains(key) ? Prefs::get(platform_, key) : std::nullopt);
    } else if (channel == "nimbo:notch-look") {
        auto look = Payload::text(payload);
        if (!look || !isNotchLook(*look)) return;
        auto spatial = Prefs::get(platform_, "spatial");
        if (!spatial || !spatial->is_object()) spatial = Json::object();
        (*spatial)["notch"] = *look;
        if (Prefs::set(platform_, "spatial", spatial))
            broadcast("nimbo:pref", Json{{"key", "spatial"}, {"value", *spatial}});
    } else if (channel == "nimbo:personality-now") {
        answer(StatusMenu::current(platform_.defaults()));
    } else if (channel == "nimbo:quiet-now") {
        answer(Payload::on(platform_.defaults().get("nimbo.quiet")));
    } else if (channel == "nimbo:set-quiet") {
        auto on = Payload::flag(payload);
        if (on && statusMenu && statusMenu->saveQuiet(*on)) broadcast("nimbo:quiet", *on);
    } else if (channel == "nimbo:set-personality") {
        auto id = Payload::text(payload);
        if (id && statusMenu && statusMenu->save(*id)) broadcast("nimbo:personality", *id);
    } else if (channel == "nimbo:personalities") {
        auto list = personalitiesIn(payload);
        if (!list.empty() && statusMenu) statusMenu->setList(std::move(list));
    }
}

bool AppDelegate::autoWalkOn() {
    auto walk = Payload::flag(Payload::member(Prefs::get(platform_, "spatial"), "autoWalk"));
    return walk.value_or(true);
}

}  // namespace nimbo
