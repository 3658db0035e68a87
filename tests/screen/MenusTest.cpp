#include <gmock/gmock.h>

#include "screen/Menus.h"
#include "screen/ScreenDesktop.h"

namespace nimbo {
namespace {

using ::testing::ElementsAre;
using Attributes = std::map<std::string, platform::AXValue>;

class MenusTest : public testing::ScreenDesktop {
protected:
    // Application 7 in front, showing a window, with an empty menu bar.
    MenusTest() {
        window(7, {{0, 0}, {800, 600}})->attributes["AXTitle"] = std::string("Report.txt");
        sim.app.front = platform::RunningApp{7, "Editor"};
        auto root = sim.ax.apps[7].root;
        bar = sim.ax.add(root, {{"AXRole", std::string("AXMenuBar")}});
        root->attributes["AXMenuBar"] = platform::AXRef(bar);
    }
    // An item titled `title` under `parent` (the bar or a menu), and its menu.
    sim::SimRef menu(const sim::SimRef& parent, const std::string& title) {
        auto owner = item(parent, title);
        return sim.ax.add(owner, {{"AXRole", std::string("AXMenu")}});
    }
    sim::SimRef item(const sim::SimRef& menu, const std::string& title, Attributes more = {}) {
        more["AXRole"] = std::string("AXMenuItem");
        if (!title.empty()) more["AXTitle"] = title;
        return sim.ax.add(menu, std::move(more));
    }
    static std::vector<std::string> paths(const Json& commands) {
        std::vector<std::string> out;
        for (const auto& command : commands) {
            std::string joined;
            for (const auto& title : command["path"]) joined += (joined.empty() ? "" : ">") + title.get<std::string>();
            out.push_back(joined);
        }
        return out;
    }
    sim::SimRef bar;
};

TEST_F(MenusTest, ShortcutsReadAsTheMenusShowThem) {
    struct Case {
        std::optional<std::string> character;
        int mods, glyph;
        std::optional<std::string> shown;
    };
    const std::vector<Case> cases{
        {"s", 0, 0, "⌘S"},           {"s", 1, 0, "⇧⌘S"},           {"s", 8, 0, "S"},
        {"f", 6, 0, "⌃⌥⌘F"},         {"s", 13, 0, "⌃⇧S"},          {"z", 3, 0, "⌥⇧⌘Z"},
        {std::nullopt, 0, 23, "⌘⌫"}, {"", 8, 122, "F10"},          {std::nullopt, 0, 0, std::nullopt},
        {" ", 4, 0, "⌃⌘Space"},      {"\x1b", 0, 0, std::nullopt}, {"é", 0, 0, "⌘É"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Menus::shortcut(c.character, c.mods, c.glyph), c.shown) << c.mods << " " << c.glyph;
    }
}

TEST_F(MenusTest, ReadFlattensTheBarIntoCommandsWithPathsKeysAndDisabledOnes) {
    item(menu(bar, "Apple"), "About");
    auto file = menu(bar, "File");
    item(file, "New", {{"AXMenuItemCmdChar", std::string("n")}, {"AXMenuItemCmdModifiers", 0.0}});
    item(file, "Space", {{"AXMenuItemCmdChar", std::string(" ")}, {"AXMenuItemCmdModifiers", 8.0}});
    item(file, "Print", {{"AXEnabled", false}, {"AXMenuItemCmdGlyph", 23.0}});
    item(file, "");  // a separator
    item(menu(file, "Open Recent"), "a.txt");
    item(menu(file, "sERVICES"), "Mail");
    item(menu(file, "Services Menu"), "Kept");
    auto level2 = menu(file, "A");
    auto level3 = menu(level2, "B");
    auto level4 = menu(level3, "C");
    item(level4, "Leaf");
    item(menu(level4, "D"), "Too deep");
    auto windows = menu(bar, "Window");
    item(windows, "Minimize", {{"AXEnabled", true}});
    item(windows, "Report.txt");

    auto commands = Menus::read(7);

    EXPECT_THAT(paths(commands), ElementsAre("File>New", "File>Space", "File>Print", "File>Services Menu>Kept",
                                             "File>A>B>C>Leaf", "Window>Minimize"));
    EXPECT_EQ(commands[0], (Json{{"path", {"File", "New"}}, {"key", "⌘N"}}));
    EXPECT_EQ(commands[1]["key"], "Space");
    EXPECT_EQ(commands[2], (Json{{"path", {"File", "Print"}}, {"key", "⌘⌫"}, {"enabled", false}}));
    EXPECT_FALSE(commands[5].contains("enabled"));
}

TEST_F(MenusTest, ReadStopsAtItsCommandCapAndItsDeadlineKeepingWhatItHas) {
    auto file = menu(bar, "File");
    for (int i = 0; i < 1600; ++i) item(file, "Item " + std::to_string(i));
    EXPECT_EQ(Menus::read(7).size(), 1500u);

    sim.ax.apps[7].delay = 0.1;
    auto slow = Menus::read(7);
    EXPECT_GT(slow.size(), 0u);
    EXPECT_LT(slow.size(), 40u);
    EXPECT_EQ(paths(slow).back(), "File>Item " + std::to_string(slow.size() - 1));
}

TEST_F(MenusTest, ReadsOncePerNinetySecondsAndNothingReadIsReadAgain) {
    item(menu(bar, "File"), "New");
    Menus::refresh(sim.app.front);
    Menus::refresh(sim.app.front);  // under way
    EXPECT_EQ(Menus::forFront(), std::nullopt);
    ASSERT_EQ(sim.background.waiting.size(), 1u);
    sim.background.drain();
    auto front = Menus::forFront();
    ASSERT_TRUE(front.has_value());
    EXPECT_EQ(front->app, "Editor");
    EXPECT_THAT(paths(front->commands), ElementsAre("File>New"));
    sim.advance(89);
    Menus::refresh(sim.app.front);
    EXPECT_TRUE(sim.background.waiting.empty());
    sim.advance(1);
    Menus::refresh(sim.app.front);
    EXPECT_EQ(sim.background.waiting.size(), 1u);
    sim.background.drain();

    // A hung application: nothing is kept, so the next activation reads again.
    window(9, {{0, 0}, {300, 300}});
    sim.ax.apps[9].hangs = true;
    Menus::refresh(platform::RunningApp{9, ""});
    sim.background.drain();
    Menus::refresh(platform::RunningApp{9, ""});
    EXPECT_EQ(sim.background.waiting.size(), 1u);
    EXPECT_THAT(logLines(),
                ElementsAre("nimbo: menus — 1 commands in Editor in 0ms", "nimbo: menus — 1 commands in Editor in 0ms",
                            "nimbo: menus — 0 commands in the app in 1500ms (nothing read — will read again)"));
}

TEST_F(MenusTest, OnlyOrdinaryApplicationsOtherThanTheShellAreRead) {
    sim.ax.addApp(8);  // shows no window
    window(sim.app.pid, {{0, 0}, {300, 300}});
    Menus::refresh(platform::RunningApp{8, "Helper"});
    Menus::refresh(platform::RunningApp{sim.app.pid, "nimbo"});
    Menus::refresh(std::nullopt);
    EXPECT_TRUE(sim.background.waiting.empty());
}

}  // namespace
}  // namespace nimbo
