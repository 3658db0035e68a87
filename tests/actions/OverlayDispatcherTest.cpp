#include <gtest/gtest.h>

#include "actions/OverlayPages.h"
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
    EXPECT_EQ(invoke("nimbo:pref-set", Json{{"key", "cursor"}, {"value", 1}}), nullptr) << "the control center's own";
    EXPECT_FALSE(Prefs::get(sim, "cursor"));
    EXPECT_EQ(invoke("nimbo:guide-now"), nullptr);
    EXPECT_EQ(invoke("nimbo:read-page"), nullptr);
    EXPECT_EQ(invoke("nimbo:meeting-start", Json{{"id", 7}}), (Json{{"ok", false}}));
    EXPECT_EQ(invoke("nimbo:meeting-stop"), true);
    EXPECT_EQ(invoke("nimbo:meeting-now"), MeetingRecorder::shared().state());
    EXPECT_EQ(invoke("nimbo:caption-size", Json{{"w", 1}, {"h", 1}}), "no answer") << "matched, and left alone";
}

TEST_F(OverlayDispatcherTest, HapticTapsAndStagedCardsAreNoted) {
    send("nimbo:haptic");
    EXPECT_EQ(sim.feel.taps, 1);
    sim.advance(2.5);
    send("nimbo:staged");
    EXPECT_EQ(delegate->stagedAt, sim.now());
}

TEST_F(OverlayDispatcherTest, ClipboardAnswersItsFirst20000Characters) {
    EXPECT_EQ(invoke("nimbo:clipboard"), nullptr) << "nothing on it";
    std::string accented;
    for (int i = 0; i < 30000; ++i) accented += "e\u0301";  // one character, two code points
    sim.clipboard.setString(accented);
    auto answered = invoke("nimbo:clipboard").get<std::string>();
    EXPECT_EQ(Text::characterCount(answered), 20000u);
    EXPECT_EQ(answered, accented.substr(0, answered.size()));
    EXPECT_TRUE(answered.ends_with("e\u0301"));
}

TEST_F(OverlayDispatcherTest, HousingIsTheNotchOfTheSendersDisplay) {
    auto notched = display(2, {{1512, 0}, {1512, 982}});
    notched.safeAreaTop = 32;
    notched.auxiliaryTopLeft = Rect{{1512, 950}, {700, 32}};
    notched.auxiliaryTopRight = Rect{{2212 + 112, 950}, {700, 32}};
    sim.displays.list = {display(1, {{0, 0}, {1512, 982}}), notched};
    EXPECT_EQ(invoke("nimbo:housing"), nullptr) << "no notch on the first display";
    auto onNotched = addOverlay(notched);
    EXPECT_EQ(invoke(*onNotched, "nimbo:housing"), (Json{{"w", 112}, {"h", 32}}));

    // A window off every display goes by the pointer.
    windowOf(*overlay).setFrame({{-5000, 0}, {100, 100}});
    sim.displays.mouse = {2000, 500};
    EXPECT_EQ(invoke("nimbo:housing"), (Json{{"w", 112}, {"h", 32}}));
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
