#include <gtest/gtest.h>

#include "actions/OverlayPages.h"
#include "actions/Scrolling.h"
#include "base/Text.h"
#include "control/Prefs.h"

namespace nimbo {
namespace {

class OverlayDispatcherTest : public testing::OverlayPages {
protected:
    sim::SimWebView& web() { return webOf(*overlay); }
};

TEST_F(OverlayDispatcherTest, UnknownInvokeIsAnsweredNullAndUnknownSendIgnored) {
    web().postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:no-such-thing"}, {"id", 5}});
    web().postMessage(Json{{"kind", "send"}, {"channel", "nimbo:no-such-thing"}, {"payload", 1}});
    EXPECT_EQ(web().resolved(), (std::vector<std::pair<long long, Json>>{{5, nullptr}}));
    EXPECT_EQ(web().calls.size(), 1u);
}

TEST_F(OverlayDispatcherTest, ChannelsHandledElsewhereOrNotYetAnswerNull) {
    EXPECT_EQ(invoke("nimbo:pref-set", Json{{"key", "cursor"}, {"value", 1}}), nullptr) << "the control center's";
    EXPECT_FALSE(Prefs::get(sim, "cursor"));
    EXPECT_EQ(invoke("nimbo:guide-now"), nullptr);
    EXPECT_EQ(invoke("nimbo:meeting-start", Json{{"id", 7}}), (Json{{"ok", false}}));
    EXPECT_EQ(invoke("nimbo:caption-size", Json{{"w", 1}}), "no answer") << "matched, and left alone";
    send("nimbo:haptic");
    EXPECT_EQ(sim.feel.taps, 1);
}

TEST_F(OverlayDispatcherTest, PageReadingIsAnsweredOnceTheBackgroundReadIsDone) {
    EXPECT_EQ(invoke("nimbo:read-page", Json{{"maxScreens", 3}}), "no answer");
    sim.background.drain();
    sim.runUntilIdle();
    ASSERT_EQ(web().resolved().size(), 1u);
    EXPECT_EQ(web().resolved().back().second, (Json{{"ok", false}, {"why", "nothing is in front to read"}}));
}

TEST_F(OverlayDispatcherTest, ClipboardAnswersItsFirst20000Characters) {
    EXPECT_EQ(invoke("nimbo:clipboard"), nullptr);
    std::string accented;
    for (int i = 0; i < 30000; ++i) accented += "e\u0301";  // one character, two code points
    sim.clipboard.setString(accented);
    auto answered = invoke("nimbo:clipboard").get<std::string>();
    EXPECT_EQ(Text::characterCount(answered), 20000u);
    EXPECT_TRUE(accented.starts_with(answered) && answered.ends_with("e\u0301"));
}

TEST_F(OverlayDispatcherTest, HousingIsTheNotchOfTheSendersDisplayElseThePointers) {
    auto notched = display(2, {{1512, 0}, {1512, 982}});
    notched.safeAreaTop = 32;
    notched.auxiliaryTopLeft = Rect{{1512, 950}, {700, 32}};
    notched.auxiliaryTopRight = Rect{{2324, 950}, {700, 32}};
    sim.displays.list = {display(1, {{0, 0}, {1512, 982}}), notched};
    EXPECT_EQ(invoke("nimbo:housing"), nullptr);
    EXPECT_EQ(invoke(*addOverlay(notched), "nimbo:housing"), (Json{{"w", 112}, {"h", 32}}));
    windowOf(*overlay).setFrame({{-5000, 0}, {100, 100}});
    sim.displays.mouse = {2000, 500};
    EXPECT_EQ(invoke("nimbo:housing"), (Json{{"w", 112}, {"h", 32}}));
}

TEST_F(OverlayDispatcherTest, PagesReadTheirOwnPreferencesAndANotchLookReachesEveryPage) {
    Prefs::set(sim, "board", Json{{"rows", 3}});
    EXPECT_EQ(invoke("nimbo:pref-get", "board"), nullptr);
    Prefs::set(sim, "spatial", Json{{"autoWalk", false}});
    EXPECT_EQ(invoke("nimbo:pref-get", "spatial"), (Json{{"autoWalk", false}}));

    delegate->caption = makeOverlay();
    delegate->openControl();
    send("nimbo:notch-look", "sparkly");
    send("nimbo:notch-look", "frosted");
    const Json kept{{"autoWalk", false}, {"notch", "frosted"}};
    EXPECT_EQ(Prefs::get(sim, "spatial"), kept);
    for (auto* web : {&web(), &webOf(*delegate->caption), &sim.controlWindowMaker.made.back()->webView()}) {
        EXPECT_EQ(web->emitted(), (testing::Events{{"nimbo:pref", {{"key", "spatial"}, {"value", kept}}}}));
    }
}

TEST_F(OverlayDispatcherTest, QuietAndPersonalityAreToldOnlyWhenTheyChange) {
    send("nimbo:set-quiet", true);
    send("nimbo:set-quiet", true);
    send("nimbo:personalities", Json::array({Json{{"id", "dry"}, {"name", "Dry"}}, Json{{"id", "loud"}}}));
    send("nimbo:set-personality", "loud");  // not on the list: it had no name
    send("nimbo:set-personality", "dry");
    EXPECT_EQ(invoke("nimbo:quiet-now"), true);
    EXPECT_EQ(invoke("nimbo:personality-now"), "dry");
    EXPECT_EQ(events(*overlay), (testing::Events{{"nimbo:quiet", true}, {"nimbo:personality", "dry"}}));
}

TEST_F(OverlayDispatcherTest, ScrollingWaitsForAutoWalkAndStaysWithinBounds) {
    Prefs::set(sim, "spatial", Json{{"autoWalk", false}});
    EXPECT_EQ(invoke("nimbo:scroll-to", Json{{"find", "Total"}}), (Json{{"ok", false}, {"why", "auto walk is off"}}));
    Prefs::set(sim, "spatial", Json{{"autoWalk", "no"}});
    EXPECT_TRUE(delegate->autoWalkOn());
    EXPECT_EQ(Scrolling::pages(Json{{"pages", 5}}), 1.5);
    EXPECT_EQ(Scrolling::pages(Json{{"pages", 0}}), 0.2);
    EXPECT_EQ(Scrolling::pages(Json{{"pages", "1"}}), 0.85);
}

TEST_F(OverlayDispatcherTest, ScrollsRunOffTheMainThreadAndAnswerWithTheirWhy) {
    Prefs::set(sim, "spatial", Json{{"autoWalk", true}});
    auto sheets = sim.ax.addApp(9);
    auto window = sim.ax.add(sheets, "AXWindow", "", {{0, 0}, {800, 600}});
    sheets->attributes["AXFocusedWindow"] = platform::AXRef(window);
    sim.ax.add(window, "AXStaticText", "Totals for March", {{10, 10}, {200, 20}});
    sim.app.front = platform::RunningApp{9, "Sheets"};

    EXPECT_EQ(invoke("nimbo:scroll", Json{{"pages", 5}}), "no answer");
    EXPECT_EQ(invoke("nimbo:scroll-to", Json{{"find", 7}}), "no answer");
    EXPECT_EQ(invoke("nimbo:scroll-to", Json{{"find", "totals  for march"}}), "no answer");
    sim.background.drain();
    sim.runUntilIdle();
    auto answers = web().resolved();
    ASSERT_EQ(answers.size(), 3U);
    EXPECT_EQ(answers[0].second, (Json{{"ok", false}, {"why", "no scrollable area in Sheets"}}));
    EXPECT_EQ(answers[1].second, (Json{{"ok", false}, {"why", "nothing to look for"}}));
    EXPECT_EQ(answers[2].second, (Json{{"ok", true}, {"why", nullptr}}));
    EXPECT_EQ(sim.output.lines, (std::vector<std::string>{
                                    "nimbo: auto walk scroll — not scrolled: no scrollable area in Sheets",
                                    "nimbo: scroll to the words — not scrolled: nothing to look for",
                                    "nimbo: scroll to the words — scrolled",
                                }));
}

TEST_F(OverlayDispatcherTest, PagesOpenOnlyTheServersOwnPagesByPlainPaths) {
    const std::string longest = "/board/" + std::string(592, 'a');
    for (const auto* path : {"/settings", "/boards x", "/boards?<b>", "/boardsy", "/learn\n/x"}) {
        send("nimbo:open-nimbo", path);
    }
    send("nimbo:open-nimbo", longest + "a");
    send("nimbo:open-learn", "/boards");
    EXPECT_TRUE(sim.controlWindowMaker.made.empty());
    send("nimbo:open-nimbo", "/boards?x=1");
    send("nimbo:open-nimbo", longest);
    send("nimbo:open-learn", "/learning?step=2");
    std::vector<std::string> loaded;
    for (const auto& [url, timeout] : sim.controlWindowMaker.made.back()->webView().loads) loaded.push_back(url);
    EXPECT_EQ(loaded,
              (std::vector<std::string>{"http://127.0.0.1:3005/control", "http://127.0.0.1:3005/control#/boards?x=1",
                                        "http://127.0.0.1:3005/control#" + longest,
                                        "http://127.0.0.1:3005/control#/learning?step=2"}));
}

TEST_F(OverlayDispatcherTest, TypingAndBoardsWaitForAControlCenterThatIsNotThereYet) {
    send("nimbo:open-board", Json{{"board", "fractions"}});
    send("nimbo:type-instead");
    EXPECT_TRUE(delegate->pendingTypeAsk);
    EXPECT_FALSE(delegate->pendingBoard);
    send("nimbo:open-board", Json{{"text", "fractions"}});
    send("nimbo:type-instead");
    EXPECT_EQ(sim.controlWindowMaker.made.back()->webView().emitted(),
              (testing::Events{{"nimbo:teach", {{"text", "fractions"}}}, {"nimbo:type-ask", nullptr}}));
    delegate->control = nullptr;
    send("nimbo:open-board", Json{{"text", "decimals"}});
    EXPECT_EQ(delegate->pendingBoard, (Json{{"text", "decimals"}}));
}

TEST_F(OverlayDispatcherTest, MainFrameOnlyAndMalformedMessagesVanishWithoutALine) {
    ASSERT_EQ(web().userScripts.size(), 1u);
    EXPECT_TRUE(web().userScripts[0].mainFrameOnly);
    const Json invoke = {{"kind", "invoke"}, {"channel", "nimbo:capture"}, {"id", 1}};
    web().postMessage(invoke, /*fromMainFrame=*/false);
    web().postMessage(Json{{"kind", "invoke"}, {"channel", 7}, {"id", 2}});
    web().postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:capture"}, {"id", "3"}});  // no id to answer
    EXPECT_TRUE(web().calls.empty());
    EXPECT_TRUE(sim.output.lines.empty());
}

TEST_F(OverlayDispatcherTest, MessagesAfterTheOverlayIsGoneAreIgnored) {
    auto& page = web();
    delegate->overlays.clear();
    overlay.reset();
    page.postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:capture"}, {"id", 1}});
    EXPECT_TRUE(page.calls.empty());
}

TEST_F(OverlayDispatcherTest, PageLogLinesAreWrittenAsText) {
    send("nimbo:log", "overlay 0 got nimbo:listen");
    send("nimbo:log", Json{{"n", 1}});
    EXPECT_EQ(sim.output.lines,
              (std::vector<std::string>{"nimbo: [page] overlay 0 got nimbo:listen", "nimbo: [page] {\"n\":1}"}));
}

TEST_F(OverlayDispatcherTest, InteractiveTakesOnlyExactlyTrue) {
    send("nimbo:interactive", true);
    EXPECT_FALSE(windowOf(*overlay).ignoresMouse());
    send("nimbo:interactive", "yes");
    EXPECT_TRUE(windowOf(*overlay).ignoresMouse());
}

TEST_F(OverlayDispatcherTest, SteerModeTakesTheArrowsWhileAnyPageAsks) {
    auto other = addOverlay();
    send("nimbo:steer-mode", true);
    send("nimbo:steer-mode", true);  // asking twice doesn't count twice
    send(*other, "nimbo:steer-mode", true);
    EXPECT_EQ(delegate->steerOwners.size(), 2u);
    EXPECT_TRUE(delegate->hotkey.steering);
    send("nimbo:steer-mode", 1);  // anything but true gives them back
    EXPECT_TRUE(delegate->hotkey.steering);
    send(*other, "nimbo:steer-mode", false);
    EXPECT_FALSE(delegate->hotkey.steering);
    EXPECT_TRUE(delegate->steerOwners.empty());
}

TEST_F(OverlayDispatcherTest, FrameNowAnswersTheWindowAndDisplay) {
    web().postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:frame-now"}, {"id", 9}});
    ASSERT_EQ(web().resolved().size(), 1u);
    EXPECT_EQ(web().resolved()[0].second, overlay->frameInfo());
    EXPECT_EQ(web().resolved()[0].second.at("dw"), 1512);
}

}  // namespace
}  // namespace nimbo
