#include <gtest/gtest.h>

#include "control/ControlFixture.h"
#include "control/Prefs.h"

namespace nimbo {
namespace {

class ControlDispatcherTest : public testing::ControlFixture {
protected:
    void SetUp() override {
        openControl();
        overlay = addOverlay();
        sim.output.lines.clear();
    }
    std::vector<std::pair<std::string, Json>> atOverlay() { return webOf(*overlay).emitted(); }
    std::shared_ptr<Overlay> overlay;
};

TEST_F(ControlDispatcherTest, PrefWritesAnswerAndReachOverlaysOnlyForTheirKeys) {
    EXPECT_EQ(invoke("nimbo:pref-set", Json{{"key", "cursor"}, {"value", {{"size", 3}}}}), true);
    EXPECT_EQ(invoke("nimbo:pref-get", "cursor"), (Json{{"size", 3}}));
    EXPECT_EQ(invoke("nimbo:pref-set", Json{{"key", "cursor"}, {"value", nullptr}}), true);
    EXPECT_EQ(invoke("nimbo:pref-set", Json{{"key", "board"}, {"value", "b"}}), true);
    EXPECT_EQ(invoke("nimbo:pref-set", Json{{"key", "volume"}, {"value", 1}}), false);
    EXPECT_EQ(invoke("nimbo:pref-set", Json{{"key", "cursor"}, {"value", std::string(Prefs::kLimit, 'x')}}), false);
    EXPECT_EQ(invoke("nimbo:pref-set", "cursor"), false);
    EXPECT_EQ(invoke("nimbo:pref-get", 7), nullptr);
    EXPECT_EQ(atOverlay(), (std::vector<std::pair<std::string, Json>>{
                               {"nimbo:pref", {{"key", "cursor"}, {"value", {{"size", 3}}}}},
                               {"nimbo:pref", {{"key", "cursor"}, {"value", nullptr}}},
                           }));
}

TEST_F(ControlDispatcherTest, PendingTypeAskAndBoardAreDeliveredOnce) {
    delegate->pendingTypeAsk = true;
    delegate->pendingBoard = Json{{"text", "fractions"}};
    EXPECT_EQ(invoke("nimbo:type-ask-now"), true);
    EXPECT_EQ(invoke("nimbo:type-ask-now"), false);
    EXPECT_EQ(invoke("nimbo:teach-now"), (Json{{"text", "fractions"}}));
    EXPECT_EQ(invoke("nimbo:teach-now"), nullptr);
}

TEST_F(ControlDispatcherTest, PersonalityAndQuietChangeOnlyWhenTheyChange) {
    EXPECT_EQ(invoke("nimbo:personality-now"), "warm");
    send("nimbo:set-personality", "warm");
    send("nimbo:set-personality", "Pirate");
    send("nimbo:set-personality", "pirate");
    EXPECT_EQ(invoke("nimbo:personality-now"), "pirate");
    EXPECT_EQ(invoke("nimbo:quiet-now"), false);
    send("nimbo:set-quiet", true);
    send("nimbo:set-quiet", true);
    send("nimbo:set-quiet", "yes");
    EXPECT_EQ(invoke("nimbo:quiet-now"), true);
    EXPECT_EQ(atOverlay(),
              (std::vector<std::pair<std::string, Json>>{{"nimbo:personality", "pirate"}, {"nimbo:quiet", true}}));
}

TEST_F(ControlDispatcherTest, VisibilityReachesEveryWindowAndTheShowcaseForcesIt) {
    EXPECT_EQ(invoke("nimbo:visible-now"), (Json{{"visible", false}, {"forced", false}}));
    send("nimbo:set-visible", true);
    EXPECT_EQ(windowOf(*overlay).sharing, platform::SharingType::readOnly);
    EXPECT_EQ(controlWindow->window->sharing, platform::SharingType::readOnly);
    EXPECT_EQ(sim.tray.sharing, platform::SharingType::readOnly);
    send("nimbo:set-visible", "yes");  // not a flag: false
    EXPECT_EQ(controlWindow->window->sharing, platform::SharingType::none);
    EXPECT_EQ(sim.tray.sharing, platform::SharingType::none);

    sim.env.variables["NIMBO_SHOWCASE"] = "true";
    EXPECT_EQ(invoke("nimbo:visible-now"), (Json{{"visible", false}, {"forced", false}}));
    sim.env.variables["NIMBO_NO_PROTECT"] = "1";
    EXPECT_EQ(invoke("nimbo:visible-now"), (Json{{"visible", true}, {"forced", true}}));
}

TEST_F(ControlDispatcherTest, UnknownInvokesAnswerNullAndSendsNothing) {
    EXPECT_EQ(invoke("nimbo:frame-now"), nullptr);
    send("nimbo:frame-now");
    EXPECT_EQ(controlWeb().resolved().size(), 1u);
    EXPECT_EQ(invoke("nimbo:meeting-start", Json{{"id", 42}}), (Json{{"ok", false}, {"why", "no meeting"}}));
    EXPECT_EQ(invoke("nimbo:sign-in", "github"), nullptr);
    EXPECT_EQ(invoke("nimbo:meeting-stop"), true);
    send("nimbo:log", "saved");
    send("nimbo:log", Json{{"not", "text"}});
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: [control] saved"});
}

TEST_F(ControlDispatcherTest, AddressesAndPanesOpenOnlyWhenTheyMayBe) {
    for (const char* address : {"https://docs.example/a", "mailto:x@example.com", "javascript:alert(1)", "docs"}) {
        send("nimbo:open-url", address);
    }
    send("nimbo:open-settings", "screen");
    send("nimbo:open-settings", "keys");
    send("nimbo:walk-permissions", "keys");
    send("nimbo:walk-permissions", "microphone");
    EXPECT_EQ(sim.desktop.opened, std::vector<std::string>{"https://docs.example/a"});
    EXPECT_EQ(sim.desktop.panes, (std::vector<std::string>{"Privacy_ScreenCapture", "Privacy_Microphone"}));
    EXPECT_EQ(sim.output.lines, std::vector<std::string>(2, "nimbo: setup — nothing missing to walk through"));
}

TEST_F(ControlDispatcherTest, AskScreenStepsAsideThenAsksTheOverlay) {
    send("nimbo:ask-screen", Json{{"question", ""}});
    EXPECT_TRUE(controlWindow->isVisible()) << "an empty question does nothing";

    const std::string question(70, 'q');
    send("nimbo:ask-screen", Json{{"question", question}, {"url", "mailto:x@example.com"}});
    EXPECT_FALSE(controlWindow->isVisible());
    sim.advance(0.59);
    EXPECT_TRUE(atOverlay().empty());
    sim.advance(0.01);
    EXPECT_EQ(atOverlay(), (std::vector<std::pair<std::string, Json>>{{"nimbo:ask", {{"question", question}}}}));
    EXPECT_EQ(sim.output.lines,
              std::vector<std::string>{"nimbo: asked from the control center — " + question.substr(0, 60)});
    EXPECT_TRUE(sim.desktop.opened.empty());

    send("nimbo:ask-screen", Json{{"question", "where?"}, {"url", "https://maps.example"}});
    sim.advance(2.9);
    EXPECT_EQ(atOverlay().size(), 1u) << "the browser gets 3 s to come forward";
    sim.advance(0.1);
    EXPECT_EQ(atOverlay().size(), 2u);
    EXPECT_EQ(sim.desktop.opened, std::vector<std::string>{"https://maps.example"});
}

TEST_F(ControlDispatcherTest, PrompterTextIsCutToTwentyThousandCharacters) {
    delegate->steerOwners.push_back(overlay);
    std::string long_;
    for (int i = 0; i < 20001; ++i) long_ += "é";  // two bytes each
    send("nimbo:prompter-start", Json{{"text", long_}, {"mode", "voice"}, {"seconds", nullptr}});
    auto events = atOverlay();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].first, "nimbo:prompter");
    EXPECT_EQ(events[0].second.at("text").get<std::string>().size(), 40000u);
    EXPECT_EQ(events[0].second.at("mode"), "voice");
}

}  // namespace
}  // namespace nimbo
