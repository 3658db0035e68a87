#include <gtest/gtest.h>

#include "OfferDesk.h"

namespace nimbo {
namespace {

constexpr int kChat = 502;
const Rect kSettings{{120, 120}, {100, 30}};
const Actions::Outcome kPressed{true, std::nullopt};

class PressingTest : public testing::OfferDesk {
protected:
    void SetUp() override {
        OfferDesk::SetUp();
        settings = control("AXButton", "Settings", kSettings);
    }
    static Elements::Target targetOf(const sim::SimRef& element, const std::string& name,
                                     const std::string& role = "button") {
        auto frame = *Elements::frameOf(element);
        return {element, frame, frame, role, name};
    }
    static void moveTo(const sim::SimRef& element, Rect frame) { sim::SimAccessibility::setFrame(element, frame); }
    sim::SimRef settings;
};

TEST_F(PressingTest, AControlIsPressedOnlyWhileItIsWithinFortyPointsOfWhereItWasSeen) {
    auto target = targetOf(settings, "Settings");
    moveTo(settings, {{160, 80}, {100, 30}});
    EXPECT_EQ(Actions::press(target), kPressed);
    EXPECT_EQ(settings->performed, std::vector<std::string>{"AXPress"});
    for (Rect away : {Rect{{161, 120}, {100, 30}}, Rect{{120, 79}, {100, 30}}}) {
        moveTo(settings, away);
        EXPECT_EQ(Actions::press(target), (Actions::Outcome{false, "the screen changed — ask me again"}));
    }
    // A menu item is there while it answers a title, wherever it is now.
    auto item = control("AXMenuItem", "Paste", {{130, 400}, {200, 20}});
    auto paste = targetOf(item, "Paste", "menu item");
    moveTo(item, {{900, 700}, {200, 20}});
    EXPECT_EQ(Actions::press(paste), kPressed);
    item->attributes.erase("AXTitle");
    EXPECT_FALSE(Actions::stillThere(paste));

    EXPECT_EQ(Actions::press(targetOf(settings, "Sign Out")), (Actions::Outcome{false, "that one's yours to press"}));
    EXPECT_EQ(Actions::press(std::nullopt), (Actions::Outcome{false, "I can only press a control I can name"}));
    EXPECT_EQ(settings->performed.size(), 1u);
    EXPECT_TRUE(sim.input.clicks.empty());
}

TEST_F(PressingTest, OnlyAnUnsupportedPressOfAControlFallsBackToAClick) {
    struct Case {
        std::string role;
        platform::AXError error;
        std::string why;
    };
    const std::vector<Case> cases = {
        {"menu item", platform::AXError::actionUnsupported, "I couldn't press that one"},
        {"button", platform::AXError::cannotComplete, "it didn't answer — check whether it worked before asking again"},
        {"button", platform::AXError::failure, "I couldn't press that one"},
    };
    for (const auto& c : cases) {
        settings->actionResults["AXPress"] = c.error;
        EXPECT_EQ(Actions::press(targetOf(settings, "Settings", c.role)), (Actions::Outcome{false, c.why}));
    }
    EXPECT_EQ(sim.output.lines, (std::vector<std::string>{"nimbo: press refused a click fallback (AX error -25206)",
                                                          "nimbo: press refused a click fallback (AX error -25204)",
                                                          "nimbo: press refused a click fallback (AX error -25200)"}));
    EXPECT_TRUE(sim.input.clicks.empty());

    // Behind another application: brought forward and given a moment, then clicked in the middle.
    settings->actionResults["AXPress"] = platform::AXError::actionUnsupported;
    sim.app.front = platform::RunningApp{kChat, "Chat"};
    const double before = sim.now();
    EXPECT_EQ(Actions::press(targetOf(settings, "Settings")), kPressed);
    EXPECT_EQ(sim.apps.activated, std::vector<int>{kMail});
    EXPECT_NEAR(sim.now() - before, 0.15, 1e-9);
    EXPECT_EQ(sim.input.clicks, (std::vector<Point>{{170, 135}}));
    EXPECT_EQ(Actions::lastOwnClick, sim.now());
    // The shell's own click is not the user's.
    sim.mice.clickElsewhere();
    sim.runUntilIdle();
    EXPECT_TRUE(webOf(overlay()).emitted().empty());
}

TEST_F(PressingTest, AClickIsMadeOnlyWhereItLandsOnTheControlOrInsideIt) {
    settings->actionResults["AXPress"] = platform::AXError::actionUnsupported;
    const Actions::Outcome elsewhere{false, "something else is there now — ask me again"};
    platform::WindowInfo chat;
    chat.ownerPid = kChat;
    chat.layer = 0;
    chat.bounds = Rect{{150, 100}, {300, 300}};
    sim.stacking.windows->insert(sim.stacking.windows->begin(), chat);
    EXPECT_EQ(Actions::press(targetOf(settings, "Settings")), elsewhere);
    sim.stacking.windows->erase(sim.stacking.windows->begin());
    EXPECT_TRUE(sim.input.clicks.empty());

    // What the point hits may be inside the control: seven levels in, yes; eight, no.
    auto archive = control("AXButton", "Archive", {{300, 300}, {200, 60}});
    auto inner = archive;
    for (int depth = 0; depth < 7; ++depth) inner = sim.ax.add(inner, "AXGroup", "", {{300, 300}, {200, 60}});
    EXPECT_TRUE(Actions::lands(archive, {400, 330}));
    sim.ax.add(inner, "AXStaticText", "Archive", {{300, 300}, {200, 60}});
    EXPECT_FALSE(Actions::lands(archive, {400, 330}));
}

}  // namespace
}  // namespace nimbo
