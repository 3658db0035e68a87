#pragma once
// The status-area item and its menu: the control center, the personality and
// spoken-answers choices (kept in the user defaults), the teleprompter in labs
// mode, the meeting-recording indicator, updates and quit. The menu is rebuilt
// whole after every change, never edited in place.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace nimbo {

class StatusMenu : public std::enable_shared_from_this<StatusMenu> {
    struct Passkey {};

public:
    struct Personality {
        std::string id;
        std::string name;
        std::string blurb;
    };

    // Builds the item and its first menu.
    static std::shared_ptr<StatusMenu> make(platform::Platform& platform);
    StatusMenu(Passkey, platform::Platform& platform) : platform_(platform) {}

    std::vector<Personality> personalities;
    std::function<void(const std::string& id)> onChoose;
    std::function<void(bool quiet)> onQuiet;
    std::function<void()> onPrompter;
    std::function<void()> onOpen;
    std::function<void()> onSettings;
    std::function<void()> onStopMeeting;
    // The update item exists only while this is set.
    std::function<void()> onCheckUpdates;

    // The chosen personality's id: the stored one, else "warm".
    static std::string current(const platform::Defaults& defaults);
    // With personalities reported, whether one has this id; before, whether
    // it looks like one (2 to 20 lower-case letters).
    bool knows(const std::string& id) const;
    // Stores a known personality that isn't already chosen; true when it changed.
    bool save(const std::string& id);
    // Stores whether answers stay unspoken; true when it changed.
    bool saveQuiet(bool on);
    void setList(std::vector<Personality> list);
    void rebuild();

    bool recordingMeeting() const { return recordingMeeting_; }
    // Shows or takes down the recording indicator; nothing when unchanged.
    void setRecordingMeeting(bool recording);

private:
    void start();
    bool quiet() const;
    std::vector<platform::MenuItem> personalityItems();
    // A menu item whose action reaches this menu only while it exists.
    platform::MenuItem action(std::string title, std::function<void(StatusMenu&)> perform);
    // One that calls a callback of the application, when it is set.
    platform::MenuItem calling(std::string title, std::function<void()> StatusMenu::*callback);

    platform::Platform& platform_;
    bool recordingMeeting_ = false;
};

}  // namespace nimbo
