// The shell's panel item as a panel sees it over D-Bus: it registers with the
// watcher, its menu reads back in order with separators, disabled and checked
// entries and submenus, and a click on an entry runs that entry's action.
#include <gtest/gtest.h>

#include "Desktop.h"
#include "TestPanel.h"
#include "platform/linux/tray/StatusIndicator.h"

namespace nimbo::test {
namespace {

using x11::TrayMenuEntry;

TEST(StatusIndicator, RegistersAndItsMenuIsReadAndClickedAsAPanelWould) {
    TestPanel panel;
    x11::StatusIndicator indicator("nimbo", "nimbo");
    int settings = 0, chosen = 0;
    TrayMenuEntry personality{"Personality"};
    personality.submenu = {{"Warm"}, {"Dry"}};
    personality.submenu[1].checkable = true;
    personality.submenu[1].checked = true;
    personality.submenu[1].action = [&] { ++chosen; };
    TrayMenuEntry speak{"Speak answers"};
    speak.checkable = true;
    TrayMenuEntry reminder{"Hold ⌘⌥ and ask"};
    reminder.enabled = false;
    indicator.setMenu({{"Open nimbo"},
                       {"Settings…", true, false, false, {}, [&] { ++settings; }},
                       reminder,
                       TrayMenuEntry{},
                       personality,
                       speak});

    ASSERT_TRUE(waitUntil([&] { return !panel.items().empty(); }, 10.0)) << "no item registered with the watcher";
    const auto item = panel.items().front();
    EXPECT_EQ(item.path, "/org/ayatana/NotificationItem/nimbo");
    const auto menu = panel.menu(item);
    ASSERT_TRUE(menu);
    std::vector<std::string> labels;
    for (const auto& entry : *menu) labels.push_back(std::to_string(entry.depth) + " " + entry.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"0 Open nimbo", "0 Settings…", "0 Hold ⌘⌥ and ask", "0 ",
                                                "0 Personality", "1 Warm", "1 Dry", "0 Speak answers"}));
    EXPECT_FALSE(TestPanel::find(*menu, "Hold ⌘⌥ and ask")->enabled);
    EXPECT_EQ(TestPanel::find(*menu, "Dry")->toggleState, 1);
    EXPECT_EQ(TestPanel::find(*menu, "Speak answers")->toggleState, 0);

    ASSERT_TRUE(panel.click(item, TestPanel::find(*menu, "Settings…")->id));
    ASSERT_TRUE(waitUntil([&] { return settings == 1; }, 5.0));
    ASSERT_TRUE(panel.click(item, TestPanel::find(*menu, "Dry")->id));
    ASSERT_TRUE(waitUntil([&] { return chosen == 1; }, 5.0));
    EXPECT_EQ(settings, 1);

    // A rebuilt menu is what the panel reads next.
    indicator.setMenu({{"● Recording meeting — Stop"}, {}, {"Quit nimbo"}});
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto now = panel.menu(item);
            return now && now->size() == 3 && now->front().label == "● Recording meeting — Stop";
        },
        10.0));
}

}  // namespace
}  // namespace nimbo::test
