#include "control/StatusMenu.h"

#include <algorithm>

#include "control/Visibility.h"

namespace nimbo {
namespace {

constexpr const char* kDefaultPersonality = "warm";

bool looksLikePersonality(const std::string& id) {
    if (id.size() < 2 || id.size() > 20) return false;
    return std::all_of(id.begin(), id.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

}  // namespace

std::shared_ptr<StatusMenu> StatusMenu::make(platform::Platform& platform) {
    auto menu = std::make_shared<StatusMenu>(Passkey{}, platform);
    menu->start();
    return menu;
}

void StatusMenu::start() {
    auto& item = platform_.statusItem();
    if (!item.setImage("iconTemplate", "nimbo")) item.setSymbol("scribble.variable", "nimbo");
    // Once now, and again once the item's window surely exists.
    item.setSharingType(Visibility::sharingType(platform_));
    platform_.main().post([weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->platform_.statusItem().setSharingType(Visibility::sharingType(self->platform_));
    });
    rebuild();
}

std::string StatusMenu::current(const platform::Defaults& defaults) {
    auto stored = defaults.get("nimbo.personality");
    return stored && stored->is_string() ? stored->get<std::string>() : kDefaultPersonality;
}

bool StatusMenu::quiet() const {
    auto stored = platform_.defaults().get("nimbo.quiet");
    return stored && stored->is_boolean() && stored->get<bool>();
}

bool StatusMenu::knows(const std::string& id) const {
    if (personalities.empty()) return looksLikePersonality(id);
    return std::any_of(personalities.begin(), personalities.end(), [&](const auto& p) { return p.id == id; });
}

bool StatusMenu::save(const std::string& id) {
    if (!knows(id) || id == current(platform_.defaults())) return false;
    platform_.defaults().set("nimbo.personality", id);
    rebuild();
    return true;
}

bool StatusMenu::saveQuiet(bool on) {
    if (quiet() == on) return false;
    platform_.defaults().set("nimbo.quiet", on);
    rebuild();
    return true;
}

void StatusMenu::setList(std::vector<Personality> list) {
    personalities = std::move(list);
    rebuild();
}

void StatusMenu::setRecordingMeeting(bool recording) {
    if (recording == recordingMeeting_) return;
    recordingMeeting_ = recording;
    rebuild();
    auto& item = platform_.statusItem();
    item.setTitle(recording ? " ●" : "", recording);
    item.setToolTip(recording ? std::optional<std::string>("nimbo is recording a meeting") : std::nullopt);
}

platform::MenuItem StatusMenu::action(std::string title, std::function<void(StatusMenu&)> perform) {
    platform::MenuItem item;
    item.title = std::move(title);
    item.perform = [weak = weak_from_this(), perform = std::move(perform)] {
        if (auto self = weak.lock()) perform(*self);
    };
    return item;
}

platform::MenuItem StatusMenu::calling(std::string title, std::function<void()> StatusMenu::*callback) {
    return action(std::move(title), [callback](StatusMenu& m) {
        if (m.*callback) (m.*callback)();
    });
}

std::vector<platform::MenuItem> StatusMenu::personalityItems() {
    if (personalities.empty()) {
        platform::MenuItem loading;
        loading.title = "Loading…";
        loading.enabled = false;
        return {loading};
    }
    std::vector<platform::MenuItem> items;
    std::string chosen = current(platform_.defaults());
    for (const auto& personality : personalities) {
        auto item = action(personality.name, [id = personality.id](StatusMenu& m) {
            if (m.save(id) && m.onChoose) m.onChoose(id);
        });
        item.checked = personality.id == chosen;
        item.toolTip = personality.blurb;
        items.push_back(std::move(item));
    }
    return items;
}

void StatusMenu::rebuild() {
    using platform::MenuItem;
    std::vector<MenuItem> menu;
    if (recordingMeeting_) {
        menu.push_back(calling("● Recording meeting — Stop", &StatusMenu::onStopMeeting));
        menu.push_back(MenuItem::separatorItem());
    }
    menu.push_back(calling("Open nimbo", &StatusMenu::onOpen));
    auto settings = calling("Settings…", &StatusMenu::onSettings);
    settings.key = ",";
    menu.push_back(settings);
    MenuItem reminder;
    reminder.title = "Hold ⌘⌥ and ask";
    reminder.enabled = false;
    menu.push_back(reminder);
    menu.push_back(MenuItem::separatorItem());

    MenuItem personality;
    personality.title = "Personality";
    personality.submenu = personalityItems();
    menu.push_back(personality);
    auto speak = action("Speak answers", [](StatusMenu& m) {
        bool quiet = !m.quiet();
        if (m.saveQuiet(quiet) && m.onQuiet) m.onQuiet(quiet);
    });
    speak.checked = !quiet();
    menu.push_back(speak);
    if (platform_.environment().variable("NIMBO_LABS") == "1") {
        menu.push_back(calling("Teleprompter from Clipboard", &StatusMenu::onPrompter));
    }
    menu.push_back(MenuItem::separatorItem());

    if (onCheckUpdates) menu.push_back(calling("Check for Updates…", &StatusMenu::onCheckUpdates));
    auto quit = action("Quit nimbo", [](StatusMenu& m) { m.platform_.application().requestTerminate(); });
    quit.key = "q";
    menu.push_back(quit);
    platform_.statusItem().setMenu(menu);
}

}  // namespace nimbo
