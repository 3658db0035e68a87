// The shell's panel item as a panel sees it over D-Bus: it registers with the
// watcher, its menu reads back in order with separators, disabled and checked
// entries and submenus, a click on an entry runs that entry's action, and a
// rebuilt menu replaces the old one.
#include <gtest/gtest.h>

#include "Desktop.h"
#include "TestPanel.h"
#include "platform/linux/tray/PanelStatusItem.h"

namespace nimbo::test {
namespace {

using platform::MenuItem;

MenuItem item(const std::string& title, std::function<void()> perform = {}) {
    MenuItem made;
    made.title = title;
    made.key = {};
    made.perform = std::move(perform);
    return made;
}

TEST(PanelStatusItem, RegistersAndItsMenuIsReadAndClickedAsAPanelWould) {
    TestPanel panel;
    std::vector<std::string> standard;
    x11::PanelStatusItem status([&](const std::string& action) { standard.push_back(action); });
    int settings = 0, chosen = 0;
    MenuItem personality = item("Personality");
    personality.submenu = {item("Warm"), item("Dry", [&] { ++chosen; })};
    personality.submenu[1].checked = true;
    MenuItem reminder = item("Hold ⌘⌥ and ask");
    reminder.enabled = false;
    MenuItem close = item("Close");
    close.standardAction = "performClose:";
    status.setSymbol("scribble.variable", "nimbo");
    status.setMenu({item("Open nimbo"), item("Settings…", [&] { ++settings; }), reminder, MenuItem::separatorItem(),
                    personality, item("Speak answers"), close});

    ASSERT_TRUE(waitUntil([&] { return !panel.items().empty(); }, 10.0)) << "no item registered with the watcher";
    const auto registered = panel.items().front();
    EXPECT_EQ(registered.path, "/org/ayatana/NotificationItem/nimbo");
    const auto menu = panel.menu(registered);
    ASSERT_TRUE(menu);
    std::vector<std::string> labels;
    for (const auto& entry : *menu) labels.push_back(std::to_string(entry.depth) + " " + entry.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"0 Open nimbo", "0 Settings…", "0 Hold ⌘⌥ and ask", "0 ",
                                                "0 Personality", "1 Warm", "1 Dry", "0 Speak answers", "0 Close"}));
    EXPECT_FALSE(TestPanel::find(*menu, "Hold ⌘⌥ and ask")->enabled);
    EXPECT_EQ(TestPanel::find(*menu, "Dry")->toggleState, 1);
    EXPECT_EQ(TestPanel::find(*menu, "Speak answers")->toggleState, -1);

    ASSERT_TRUE(panel.click(registered, TestPanel::find(*menu, "Settings…")->id));
    ASSERT_TRUE(waitUntil([&] { return settings == 1; }, 5.0));
    ASSERT_TRUE(panel.click(registered, TestPanel::find(*menu, "Dry")->id));
    ASSERT_TRUE(waitUntil([&] { return chosen == 1; }, 5.0));
    ASSERT_TRUE(panel.click(registered, TestPanel::find(*menu, "Close")->id));
    ASSERT_TRUE(waitUntil([&] { return !standard.empty(); }, 5.0));
    EXPECT_EQ(standard, std::vector<std::string>{"performClose:"});
    EXPECT_EQ(settings, 1);

    // A rebuilt menu is what the panel reads next.
    status.setMenu({item("● Recording meeting — Stop"), MenuItem::separatorItem(), item("Quit nimbo")});
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto now = panel.menu(registered);
            return now && now->size() == 3 && now->front().label == "● Recording meeting — Stop";
        },
        10.0));
}

}  // namespace
}  // namespace nimbo::test
