#include <gmock/gmock.h>

#include "screen/ScreenDesktop.h"
#include "screen/TextRules.h"

namespace nimbo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

class ElementWalkTest : public testing::ScreenDesktop {};

TEST_F(ElementWalkTest, PageIsWalkedAfterTheNativeControlsAndItsBudgetStopSaysSo) {
    auto root = window(7, {{0, 0}, {800, 600}});
    auto page = sim.ax.add(root, "AXWebArea", "", {{0, 40}, {800, 560}});
    for (int i = 0; i < 10; ++i)
        sim.ax.add(page, "AXLink", "Link " + std::to_string(i), {{10, 50.0 + 20 * i}, {80, 16}});
    sim.ax.add(root, "AXButton", "Save", {{700, 10}, {60, 20}});
    sim.ax.apps[7].delay = 0.125;

    auto nodes = Elements::walk(root, {{0, 0}, {800, 600}}, 0.45);

    EXPECT_THAT(testing::namesOf(nodes), ElementsAre("Save"));
    EXPECT_THAT(
        logLines(),
        ElementsAre("nimbo: walk hit its budget after 5 nodes in 500ms — 9 branches unwalked (inside the page)"));
}

TEST_F(ElementWalkTest, UnlabelledControlsAreNamedFromHelpPathIdentifierOrKind) {
    auto root = window(7, {{0, 0}, {800, 600}});
    auto button = [&](std::map<std::string, platform::AXValue> extra, const std::string& role = "AXButton") {
        auto made = sim.ax.add(root, "AXButton", "", {{10, 10}, {30, 30}});
        made->attributes["AXRole"] = role;
        for (auto& [name, value] : extra) made->attributes[name] = value;
    };
    button({{"AXHelp", std::string("  Close the tab\n")}, {"AXIdentifier", std::string("ignored_id")}});
    button({{"AXURL", platform::AXUrl{"https://example.com/assets/nav-settings_icon.svg"}}});
    button({{"AXIdentifier", std::string("close_btn-icon")}});
    button({{"AXIdentifier", std::string("a3f9c2d81e")}});
    button({{"AXIdentifier", std::string("item1234")}});
    button({{"AXIdentifier", std::string("ok")}});
    button({}, "AXLink");
    button({}, "AXStaticText");
    button({{"AXValue", 0.5}, {"AXPlaceholderValue", std::string("Volume")}}, "AXSlider");

    auto nodes = Elements::walk(root, {{0, 0}, {800, 600}}, 1);

    EXPECT_THAT(testing::namesOf(nodes), ElementsAre("Close the tab", "Settings", "Close", "icon button", "icon button",
                                                     "icon button", "icon link", "Volume"));
}

TEST_F(ElementWalkTest, PathWordsDropHashesNumbersAndFillers) {
    EXPECT_EQ(Elements::wordsFromPath("/static/img/user-profile_BTN.png/"), "User profile png");
    EXPECT_EQ(Elements::wordsFromPath("deadbeef00"), std::nullopt);
    EXPECT_EQ(Elements::wordsFromPath("icon-link--svg"), std::nullopt);
    EXPECT_EQ(Elements::wordsFromPath("2024_report"), std::nullopt);
    EXPECT_EQ(Elements::wordsFromPath("éditer"), "Éditer");
}

TEST_F(ElementWalkTest, ScrolledOutRowsArePrunedAndListsShowTheirVisibleRows) {
    auto root = window(7, {{0, 0}, {800, 600}});
    auto scroll = sim.ax.add(root, "AXScrollArea", "", {{0, 100}, {400, 200}});
    sim.ax.add(scroll, "AXButton", "Below the fold", {{10, 400}, {80, 20}});
    auto point = sim.ax.add(scroll, "AXButton", "Dot", {{10, 400}, {0, 0}});
    sim.ax.add(point, "AXButton", "Inside a dot", {{10, 120}, {80, 20}});
    auto list = sim.ax.add(scroll, "AXList", "", {{0, 100}, {400, 200}});
    sim.ax.add(list, "AXRow", "Hidden row", {{0, 110}, {400, 20}});
    auto shown = sim.ax.add(list, "AXRow", "Shown row", {{0, 130}, {400, 20}});
    list->attributes["AXVisibleRows"] = std::vector<platform::AXRef>{shown};
    sim.ax.add(root, "AXStaticText", "Whole window", {{0, 0}, {800, 600}});

    auto nodes = Elements::walk(root, {{0, 0}, {800, 600}}, 1);

    EXPECT_THAT(testing::namesOf(nodes), ElementsAre("Inside a dot", "Shown row"));
}

// Three applications: one that never answers, a healthy one and one whose tree
// loops back on itself and answers slowly. The walk of the display stays
// within its budgets and still lists the healthy window.
TEST_F(ElementWalkTest, HungAndCyclicAppsCostOnlyTheirBudgets) {
    window(10, {{0, 0}, {600, 400}});
    sim.ax.apps[10].hangs = true;
    auto healthy = window(11, {{600, 0}, {600, 400}});
    sim.ax.add(healthy, "AXButton", "Save", {{620, 20}, {60, 20}});
    auto cyclic = window(12, {{0, 400}, {600, 400}});
    auto group = sim.ax.add(cyclic, "AXGroup", "", {{0, 400}, {300, 200}});
    sim.ax.add(group, "AXButton", "Again", {{10, 410}, {60, 20}});
    std::get<std::vector<platform::AXRef>>(group->attributes["AXChildren"]).push_back(cyclic);
    sim.ax.apps[12].delay = 0.01;
    front(11);

    auto walked = Elements::walkWindows(kDisplay);

    EXPECT_LT(sim.now(), 1.6);
    ASSERT_EQ(walked.windows.size(), 3u);
    EXPECT_TRUE(walked.windows[0].nodes.empty());
    EXPECT_THAT(testing::namesOf(walked.windows[1].nodes), ElementsAre("Save"));
    EXPECT_FALSE(walked.windows[2].nodes.empty());
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_THAT(logLines()[0], HasSubstr("branches unwalked (before the page)"));
}

TEST_F(ElementWalkTest, DisplayWalkTakesMenusFirstAndAtMostFourWindows) {
    auto app = sim.ax.addApp(7);
    auto bar = sim.ax.add(app, "AXMenuBar", "", {{0, 0}, {1920, 24}});
    app->attributes["AXMenuBar"] = platform::AXRef(bar);
    sim.ax.add(bar, "AXMenuBarItem", "File", {{40, 0}, {40, 24}});
    auto edit = sim.ax.add(bar, "AXMenuBarItem", "Edit", {{80, 0}, {40, 24}});
    edit->attributes["AXSelected"] = true;
    auto menu = sim.ax.add(edit, "AXMenu", "", {{80, 24}, {200, 100}});
    sim.ax.add(menu, "AXMenuItem", "Undo", {{80, 24}, {200, 22}});
    sim.ax.add(menu, "AXMenuItem", "", {{80, 46}, {200, 22}});
    sim.ax.add(bar, "AXMenuBarItem", "Elsewhere", {{3000, 0}, {40, 24}});
    front(7);
    window(99, {{0, 0}, {150, 150}});  // too small to count
    sim.app.pid = 98;
    window(98, {{0, 0}, {1920, 1080}});  // the shell's own overlay
    for (int i = 0; i < 5; ++i) window(20 + i, {{100.0 * i, 100}, {400, 300}});

    auto walked = Elements::walkWindows(kDisplay);

    ASSERT_EQ(walked.windows.size(), 6u);
    EXPECT_TRUE(walked.windows[0].trusted);
    EXPECT_THAT(testing::namesOf(walked.windows[0].nodes), ElementsAre("Undo"));
    EXPECT_THAT(testing::namesOf(walked.windows[1].nodes), ElementsAre("File", "Edit"));
    EXPECT_EQ(walked.windows[1].frame, (Rect{{40, 0}, {80, 24}}));
    EXPECT_EQ(walked.windows[5].frame.origin.x, 300);
    EXPECT_EQ(walked.surfaces.size(), 6u);
}

TEST_F(ElementWalkTest, PointerNamesTheControlAroundWhatItIsOver) {
    platform::Screen screen;
    screen.frame = kDisplay;
    sim.displays.list = {screen};
    auto root = window(7, {{0, 0}, {800, 600}});
    auto button = sim.ax.add(root, "AXButton", "", {{100, 100}, {80, 30}});
    button->attributes["AXDescription"] = std::string("Save");
    sim.ax.add(button, "AXStaticText", "Save", {{110, 105}, {60, 20}});
    sim.ax.add(root, "AXButton", "A name far too long to be read out while the pointer rests on it",
               {{300, 100}, {80, 30}});
    sim.displays.mouse = {120, 1080 - 110};
    EXPECT_EQ(Elements::atPointer(), (Json{{"name", "Save"}, {"role", "button"}}));
    sim.displays.mouse = {320, 1080 - 110};
    EXPECT_EQ(Elements::atPointer(), std::nullopt);
    sim.app.pid = 7;  // the shell's own window, even in front
    front(7);
    sim.displays.mouse = {120, 1080 - 110};
    EXPECT_EQ(Elements::atPointer(), std::nullopt);
}

TEST_F(ElementWalkTest, FrontDocumentIsAWebAddressOnly) {
    auto root = window(7, {{0, 0}, {800, 600}});
    sim.ax.apps[7].root->attributes["AXFocusedWindow"] = platform::AXRef(root);
    front(7);
    root->attributes["AXDocument"] = platform::AXUrl{"HTTPS://example.com/a"};
    EXPECT_EQ(Elements::frontDocument(), "HTTPS://example.com/a");
    root->attributes["AXDocument"] = std::string("file:///home/me/notes.txt");
    EXPECT_EQ(Elements::frontDocument(), std::nullopt);
}

}  // namespace
}  // namespace nimbo
