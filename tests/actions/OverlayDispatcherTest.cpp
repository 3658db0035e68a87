#include <gtest/gtest.h>

#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class OverlayDispatcherTest : public testing::ShellFixture {
protected:
    void SetUp() override {
        launch();
        overlay = addOverlay();
        sim.output.lines.clear();
    }
    sim::SimWebView& web() { return webOf(*overlay); }
    void send(const std::string& channel, const Json& payload) {
        web().postMessage(Json{{"kind", "send"}, {"channel", channel}, {"payload", payload}});
    }
    std::shared_ptr<Overlay> overlay;
};

TEST_F(OverlayDispatcherTest, UnknownInvokeIsAnsweredNullAndUnknownSendIgnored) {
    web().postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:no-such-thing"}, {"id", 5}});
    web().postMessage(Json{{"kind", "send"}, {"channel", "nimbo:no-such-thing"}, {"payload", 1}});
    EXPECT_EQ(web().resolved(), (std::vector<std::pair<long long, Json>>{{5, nullptr}}));
    EXPECT_EQ(web().calls.size(), 1u);
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
    webOf(*other).postMessage(Json{{"kind", "send"}, {"channel", "nimbo:steer-mode"}, {"payload", true}});
    EXPECT_EQ(delegate->steerOwners.size(), 2u);
    EXPECT_TRUE(delegate->hotkey.steering);
    send("nimbo:steer-mode", 1);  // anything but true gives them back
    EXPECT_TRUE(delegate->hotkey.steering);
    webOf(*other).postMessage(Json{{"kind", "send"}, {"channel", "nimbo:steer-mode"}, {"payload", false}});
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
