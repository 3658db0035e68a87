#include <gtest/gtest.h>

#include "control/ControlFixture.h"
#include "control/MainMenu.h"
#include "control/StatusMenu.h"

namespace nimbo {
namespace {

using Titles = std::vector<std::string>;

class StatusMenuTest : public testing::ControlFixture {
protected:
    const platform::MenuItem& item(const Titles& path) {
        const auto* found = sim::findItem(sim.tray.menu, path);
        EXPECT_NE(found, nullptr);
        static const platform::MenuItem none;
        return found ? *found : none;
    }
};

TEST_F(StatusMenuTest, ItemsInOrderWithLabsAndUpdatesOnlyWhenThere) {
    launch();
    EXPECT_EQ(sim.tray.titles(), (Titles{"Open nimbo", "Settings…", "Hold ⌘⌥ and ask", "-", "Personality",
                                         "Speak answers", "-", "Quit nimbo"}));
    EXPECT_FALSE(item({"Hold ⌘⌥ and ask"}).enabled);
    EXPECT_EQ(item({"Settings…"}).key, ",");
    EXPECT_EQ(item({"Personality"}).submenu.size(), 1u);
    EXPECT_FALSE(item({"Personality", "Loading…"}).enabled);
    EXPECT_EQ(sim.tray.symbol, "scribble.variable") << "no image of our own";

    sim.env.variables["NIMBO_LABS"] = "1";
    delegate->statusMenu->onCheckUpdates = [] {};
    delegate->statusMenu->rebuild();
    EXPECT_EQ(sim.tray.titles(),
              (Titles{"Open nimbo", "Settings…", "Hold ⌘⌥ and ask", "-", "Personality", "Speak answers",
                      "Teleprompter from Clipboard", "-", "Check for Updates…", "Quit nimbo"}));
    EXPECT_TRUE(sim.tray.choose({"Quit nimbo"}));
    sim.runUntilIdle();
    EXPECT_TRUE(sim.app.terminated);
}

TEST_F(StatusMenuTest, PersonalitiesFromThePageDecideWhatIsKnown) {
    launch();
    auto& menu = *delegate->statusMenu;
    EXPECT_TRUE(menu.knows("pirate"));
    for (const char* wrong : {"Pirate", "pirate2", "p", "abcdefghijklmnopqrstu"})
        EXPECT_FALSE(menu.knows(wrong)) << wrong;

    menu.setList({{"warm", "Warm", "Kind and patient"}, {"dry", "Dry", "Says little"}});
    EXPECT_FALSE(menu.knows("pirate"));
    EXPECT_TRUE(item({"Personality", "Warm"}).checked) << "warm when nothing is stored";
    EXPECT_EQ(item({"Personality", "Dry"}).toolTip, "Says little");

    auto overlay = addOverlay();
    EXPECT_TRUE(sim.tray.choose({"Personality", "Dry"}));
    EXPECT_TRUE(sim.tray.choose({"Personality", "Dry"}));  // already chosen: nothing
    EXPECT_TRUE(item({"Personality", "Dry"}).checked);
    EXPECT_EQ(webOf(*overlay).emitted(), (std::vector<std::pair<std::string, Json>>{{"nimbo:personality", "dry"}}));
}

TEST_F(StatusMenuTest, SpeakAnswersStoresQuietAndTellsTheOverlays) {
    launch();
    auto overlay = addOverlay();
    EXPECT_TRUE(item({"Speak answers"}).checked);
    sim.tray.choose({"Speak answers"});
    EXPECT_EQ(sim.defaultsStore.values.at("nimbo.quiet"), true);
    EXPECT_FALSE(item({"Speak answers"}).checked);
    EXPECT_FALSE(delegate->statusMenu->saveQuiet(true));
    EXPECT_EQ(webOf(*overlay).emitted(), (std::vector<std::pair<std::string, Json>>{{"nimbo:quiet", true}}));
}

TEST_F(StatusMenuTest, RecordingIndicatorFollowsTheRecorder) {
    launch();
    auto& menu = *delegate->statusMenu;
    int menus = sim.tray.menus;
    menu.setRecordingMeeting(false);
    EXPECT_EQ(sim.tray.menus, menus) << "no change, no rebuild";

    bool stopped = false;
    menu.onStopMeeting = [&] { stopped = true; };
    menu.setRecordingMeeting(true);
    EXPECT_EQ(sim.tray.titles().front(), "● Recording meeting — Stop");
    EXPECT_EQ(sim.tray.title, " ●");
    EXPECT_TRUE(sim.tray.alert);
    EXPECT_EQ(sim.tray.toolTip, "nimbo is recording a meeting");
    sim.tray.choose({"● Recording meeting — Stop"});
    EXPECT_TRUE(stopped);

    menu.setRecordingMeeting(false);
    EXPECT_EQ(sim.tray.title, "");
    EXPECT_EQ(sim.tray.toolTip, std::nullopt);
    EXPECT_EQ(sim.tray.titles().front(), "Open nimbo");
}

TEST_F(StatusMenuTest, SettingsFromEitherMenuOpensTheYouPage) {
    sim.tray.resources = {"iconTemplate"};
    launch();
    EXPECT_EQ(sim.tray.image, "iconTemplate");
    ASSERT_EQ(sim.mainMenu.menus.size(), 3u);
    const auto* fullScreen = sim::findItem(sim.mainMenu.menus, {"Window", "Enter Full Screen"});
    ASSERT_NE(fullScreen, nullptr);
    EXPECT_EQ(fullScreen->modifiers, platform::MenuModifier::control | platform::MenuModifier::command);
    EXPECT_EQ(sim::findItem(sim.mainMenu.menus, {"Edit", "Paste"})->standardAction, "paste:");

    sim::findItem(sim.mainMenu.menus, {"", "Settings…"})->perform();
    openControl();
    EXPECT_EQ(controlWeb().loads.back().first, "http://127.0.0.1:3005/control#you");
    controlWindow->userCloses();
    sim.tray.choose({"Settings…"});
    EXPECT_TRUE(controlWindow->isVisible());
    EXPECT_EQ(controlWeb().loads.size(), 3u);
}

}  // namespace
}  // namespace nimbo
