// A GTK application's menu bar read over the real accessibility bus into
// commands: paths through submenus, shortcuts from the items' key bindings,
// disabled items, recent files left out.
#include <gmock/gmock.h>

#include "Desktop.h"
#include "platform/linux/atspi/MenuItems.h"
#include "screen/Elements.h"
#include "screen/Menus.h"

namespace nimbo::test {
namespace {

using ::testing::StartsWith;

class MenusReadTest : public ::testing::Test {
protected:
    MenusReadTest() : app_({NIMBO_TEST_MENUS_APP}, {}, folder_.path() + "/stdout.txt") { Elements::attach(desktop()); }
    ~MenusReadTest() override { Elements::detach(desktop()); }

    // Its pid once its window shows and it is on the accessibility bus; 0 otherwise.
    int shown() {
        bool ready = waitUntil(
            [&] { return readFile(folder_.path() + "/stdout.txt").find("ready\n") != std::string::npos; }, 20);
        bool listed =
            ready && waitUntil([&] { return desktop().accessibility().application(app_.pid()) != nullptr; }, 20);
        return listed ? app_.pid() : 0;
    }

    TempDir folder_;
    Child app_;
};

TEST_F(MenusReadTest, CommandsCarryTheirPathsShortcutsAndDisabledState) {
    int pid = shown();
    ASSERT_NE(pid, 0);
    Json commands;
    waitUntil([&] { return !(commands = Menus::read(pid)).empty(); }, 10);

    auto command = [](std::vector<std::string> path, const char* key) {
        Json made{{"path", path}};
        if (key) made["key"] = key;
        return made;
    };
    Json print = command({"File", "Print"}, "⌃P");
    print["enabled"] = false;
    EXPECT_EQ(commands, Json::array({
                            command({"File", "New"}, "⌃N"),
                            command({"File", "Save"}, "⌃S"),
                            command({"File", "Save As…"}, "⌃⇧S"),
                            print,
                            command({"File", "Export", "As PDF"}, "⌃⌥E"),
                            command({"File", "Export", "More", "Archive"}, nullptr),
                            command({"Edit", "Delete"}, "⌦"),
                            command({"Edit", "Find Next"}, "F3"),
                            command({"Edit", "Go Up"}, "⌥↑"),
                            command({"Edit", "Preferences"}, "⌘,"),
                        }))
        << commands.dump(2);
}

TEST_F(MenusReadTest, AnApplicationShowingAWindowIsReadOnceInTheBackground) {
    LogLines log;
    int pid = shown();
    ASSERT_NE(pid, 0);
    Menus::refresh(platform::RunningApp{pid, "Menus"});
    Menus::refresh(platform::RunningApp{pid, "Menus"});
    auto done = [&] {
        return std::count_if(log.lines.begin(), log.lines.end(),
                             [](const std::string& line) { return line.rfind("nimbo: menus — ", 0) == 0; });
    };
    ASSERT_TRUE(waitUntil([&] { return done() > 0; }, 10));
    runFor(0.3);
    EXPECT_EQ(done(), 1);
    EXPECT_THAT(log.lines.back(), StartsWith("nimbo: menus — 10 commands in Menus in "));
}

TEST(MenuKeys, BindingsOfGtkAndQtReadAsMenuShortcuts) {
    using atspi::MenuKey;
    auto key = [](std::optional<std::string> character, int modifiers, int glyph = 0) {
        return MenuKey{std::move(character), modifiers, glyph};
    };
    EXPECT_EQ(atspi::menuKey("n;<Alt>f:n;<Primary>n"), key("n", 12));
    EXPECT_EQ(atspi::menuKey("<Control><Shift>s"), key("s", 13));
    EXPECT_EQ(atspi::menuKey("e;<Alt>e:e;<Super>comma"), key(",", 0));
    EXPECT_EQ(atspi::menuKey("d;<Alt>e:d;Delete"), key(std::nullopt, 8, 10));
    EXPECT_EQ(atspi::menuKey("Ctrl+Shift+Left"), key(std::nullopt, 13, 100));
    EXPECT_EQ(atspi::menuKey("Ctrl++"), key("+", 12));
    EXPECT_EQ(atspi::menuKey("r;<Alt>f:r;"), std::nullopt);
    EXPECT_EQ(atspi::menuKey("<Hidden>x"), std::nullopt);
}

}  // namespace
}  // namespace nimbo::test
