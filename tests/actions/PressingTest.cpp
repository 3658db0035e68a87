#include <gtest/gtest.h>

#include "OfferDesk.h"

namespace nimbo {
namespace Actions {
void PrintTo(const Outcome& outcome, std::ostream* out) {
    *out << (outcome.ok ? "ok" : "refused") << " " << outcome.why.value_or("-");
}
}  // namespace Actions

namespace {

constexpr int kChat = 502;
const Rect kSettings{{120, 120}, {100, 30}};

class PressingTest : public testing::OfferDesk {
protected:
    void SetUp() override {
        OfferDesk::SetUp();
        settings = control("AXButton", "Settings", kSettings);
    }
    Elements::Target targetOf(const sim::SimRef& element, const std::string& role = "button") {
        auto frame = *Elements::frameOf(element);
        auto title = element->attributes.find("AXTitle");
        return {element, frame, frame, role,
                title == element->attributes.end() ? "" : std::get<std::string>(title->second)};
    }
    static Rect moved(Rect r, double dx, double dy) { return {{r.origin.x + dx, r.origin.y + dy}, r.size}; }
    static Actions::Outcome press(const std::optional<Elements::Target>& target) { return Actions::press(target); }
    static Actions::Outcome pressed() { return {true, std::nullopt}; }

    sim::SimRef settings;
};

TEST_F(PressingTest, AControlIsPressedThroughAccessibilityWhileItIsWhereItWasSeen) {
    auto target = targetOf(settings);
    sim::SimAccessibility::setFrame(settings, moved(kSettings, 40, -40));
    EXPECT_EQ(press(target), pressed());
    EXPECT_EQ(settings->performed, std::vector<std::string>{"AXPress"});
    EXPECT_TRUE(sim.input.clicks.empty());

    for (Rect away : {moved(kSettings, 41, 0), moved(kSettings, 0, -41)}) {
        sim::SimAccessibility::setFrame(settings, away);
        EXPECT_EQ(press(target), (Actions::Outcome{false, "the screen changed — ask me again"}));
    }
    // Resized about the same centre is the same place.
    sim::SimAccessibility::setFrame(settings, {{100, 110}, {140, 50}});
    EXPECT_TRUE(Actions::stillThere(target));
    // Listed without a frame of its own: anywhere will do, but it must still have one.
    target.axFrame.reset();
    sim::SimAccessibility::setFrame(settings, moved(kSettings, 500, 500));
    EXPECT_TRUE(Actions::stillThere(target));
    settings->attributes.erase("AXSize");
    EXPECT_FALSE(Actions::stillThere(target));
    EXPECT_EQ(settings->performed.size(), 1u);
}

TEST_F(PressingTest, AMenuItemIsStillThereWhileItAnswersATitle) {
    auto item = control("AXMenuItem", "Paste", {{130, 400}, {200, 20}});
    auto target = targetOf(item, "menu item");
    sim::SimAccessibility::setFrame(item, {{900, 900}, {200, 20}});
    EXPECT_EQ(press(target), pressed());
    item->attributes.erase("AXTitle");
    EXPECT_EQ(press(target), (Actions::Outcome{false, "the screen changed — ask me again"}));
}

TEST_F(PressingTest, NamesThatAreTheirsAndUnnamedTargetsAreNeverPressed) {
    auto target = targetOf(control("AXButton", "Sign Out", {{300, 120}, {80, 30}}));
    EXPECT_EQ(press(target), (Actions::Outcome{false, "that one's yours to press"}));
    EXPECT_EQ(press(std::nullopt), (Actions::Outcome{false, "I can only press a control I can name"}));
    target.ax = nullptr;
    target.name = "Settings";
    EXPECT_EQ(press(target), (Actions::Outcome{false, "I can only press a control I can name"}));
    EXPECT_EQ(sim.ax.actionsAsked, 0);
}

TEST_F(PressingTest, ErrorsOtherThanAnUnsupportedPressAreNeverClickedAround) {
    struct Case {
        std::string role;
        platform::AXError error;
        std::string line;
        std::string why;
    };
    const std::vector<Case> cases = {
        {"menu item", platform::AXError::actionUnsupported, "nimbo: press refused a click fallback (AX error -25206)",
         "I couldn't press that one"},
        {"button", platform::AXError::cannotComplete, "nimbo: press refused a click fallback (AX error -25204)",
         "it didn't answer — check whether it worked before asking again"},
        {"button", platform::AXError::failure, "nimbo: press refused a click fallback (AX error -25200)",
         "I couldn't press that one"},
    };
    for (const auto& c : cases) {
        sim.output.lines.clear();
        settings->actionResults["AXPress"] = c.error;
        EXPECT_EQ(press(targetOf(settings, c.role)), (Actions::Outcome{false, c.why}));
        EXPECT_EQ(sim.output.lines, std::vector<std::string>{c.line});
    }
    EXPECT_TRUE(sim.input.clicks.empty());
    EXPECT_TRUE(sim.apps.activated.empty());
}

TEST_F(PressingTest, AnUnsupportedPressIsClickedWhereTheClickLandsOnTheControl) {
    settings->actionResults["AXPress"] = platform::AXError::actionUnsupported;
    // The application is behind another one: it is brought forward and given a moment first.
    sim.app.front = platform::RunningApp{kChat, "Chat"};
    sim.apps.names[kChat] = "Chat";
    const double before = sim.now();
    EXPECT_EQ(press(targetOf(settings)), pressed());
    EXPECT_EQ(sim.apps.activated, std::vector<int>{kMail});
    EXPECT_NEAR(sim.now() - before, 0.15, 1e-9);
    EXPECT_EQ(sim.input.clicks, (std::vector<Point>{{170, 135}}));
    EXPECT_EQ(Actions::lastOwnClick, sim.now());
    // Already in front: no activation and no wait.
    EXPECT_EQ(press(targetOf(settings)), pressed());
    EXPECT_EQ(sim.apps.activated.size(), 1u);
    // The shell's own click is not taken for the user's.
    webOf(overlay()).calls.clear();
    sim.mice.clickElsewhere();
    sim.runUntilIdle();
    EXPECT_TRUE(webOf(overlay()).emitted().empty());
}

TEST_F(PressingTest, AClickIsNotMadeUnderAnotherWindowOrOnAnotherControl) {
    settings->actionResults["AXPress"] = platform::AXError::actionUnsupported;
    auto target = targetOf(settings);
    const Actions::Outcome elsewhere{false, "something else is there now — ask me again"};

    // A chat window in front over the button's centre.
    platform::WindowInfo chat;
    chat.ownerPid = kChat;
    chat.layer = 0;
    chat.bounds = Rect{{150, 100}, {300, 300}};
    sim.stacking.windows->insert(sim.stacking.windows->begin(), chat);
    EXPECT_EQ(press(target), elsewhere);
    sim.stacking.windows->erase(sim.stacking.windows->begin());

    // The list has the button where it was, but a popover of the same application now covers it.
    auto popover = sim.ax.add(sim.ax.apps[kMail].root, "AXWindow", "", {{110, 110}, {200, 100}});
    auto& children = std::get<std::vector<platform::AXRef>>(sim.ax.apps[kMail].root->attributes["AXChildren"]);
    std::rotate(children.begin(), children.end() - 1, children.end());  // the popover is hit first
    EXPECT_EQ(press(target), elsewhere);
    EXPECT_TRUE(sim.input.clicks.empty());
}

TEST_F(PressingTest, AClickLandsOnTheControlWhenItHitsSomethingInsideIt) {
    // Text nested inside the button, eight levels deep: the button is the eighth element compared.
    auto button = control("AXButton", "Archive", {{300, 300}, {200, 60}});
    auto inner = button;
    for (int depth = 0; depth < 7; ++depth) inner = sim.ax.add(inner, "AXGroup", "", {{300, 300}, {200, 60}});
    EXPECT_TRUE(Actions::lands(button, {400, 330}));
    // One level deeper and the walk gives up before it.
    sim.ax.add(inner, "AXStaticText", "Archive", {{300, 300}, {200, 60}});
    EXPECT_FALSE(Actions::lands(button, {400, 330}));
    EXPECT_FALSE(Actions::lands(button, {1200, 330}));  // on the desktop, outside every window
}

}  // namespace
}  // namespace nimbo
