#include <gtest/gtest.h>

#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class OverlayReceiptTest : public testing::ShellFixture {
protected:
    void SetUp() override {
        launch();
        overlay = addOverlay();
        sim.output.lines.clear();
    }
    sim::SimWebView& web() { return webOf(*overlay); }
    std::shared_ptr<Overlay> overlay;
};

TEST_F(OverlayReceiptTest, PageScriptIsInjectedIntoTheMainFrameOnly) {
    ASSERT_EQ(web().userScripts.size(), 1u);
    EXPECT_TRUE(web().userScripts[0].mainFrameOnly);
    EXPECT_NE(web().userScripts[0].source.find("window.nimboDesktop = "), std::string::npos);
}

TEST_F(OverlayReceiptTest, UnknownInvokeIsAnsweredNullAndUnknownSendIgnored) {
    web().postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:no-such-thing"}, {"id", 5}});
    web().postMessage(Json{{"kind", "send"}, {"channel", "nimbo:no-such-thing"}, {"payload", 1}});
    ASSERT_EQ(web().resolved().size(), 1u);
    EXPECT_EQ(web().resolved()[0].first, 5);
    EXPECT_TRUE(web().resolved()[0].second.is_null());
    EXPECT_EQ(web().calls.size(), 1u);
}

TEST_F(OverlayReceiptTest, MalformedAndSubFrameMessagesVanishWithoutALine) {
    const Json invoke = {{"kind", "invoke"}, {"channel", "nimbo:capture"}, {"id", 1}};
    web().postMessage(invoke, /*fromMainFrame=*/false);
    web().postMessage(Json::array({invoke}));
    web().postMessage(std::nullopt);
    web().postMessage(Json{{"kind", "invoke"}, {"channel", 7}, {"id", 2}});
    web().postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:capture"}, {"id", "3"}});
    EXPECT_TRUE(web().calls.empty());
    EXPECT_TRUE(sim.output.lines.empty());
}

TEST_F(OverlayReceiptTest, MessagesAfterTheOverlayIsGoneAreIgnored) {
    auto& page = web();
    delegate->overlays.clear();
    overlay.reset();
    page.postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:capture"}, {"id", 1}});
    EXPECT_TRUE(page.calls.empty());
}

}  // namespace
}  // namespace nimbo
