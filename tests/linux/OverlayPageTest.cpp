// A real overlay's page through bad answers and strange navigations: a page
// the server refused comes back once the server recovers, and a document of
// any other origin, however it got into the window, gets no bridge.
#include <gtest/gtest.h>

#include <algorithm>

#include "Desktop.h"
#include "PageServer.h"
#include "bridge/Bridge.h"
#include "display/Overlay.h"

namespace nimbo::test {
namespace {

// A page that says hello over the bridge once it runs.
const std::string kHello = "<!doctype html><script>nimboDesktop.log('hello');</script>";

class OverlayPage : public ::testing::Test {
protected:
    void open(const std::string& url) {
        const auto screen = desktop().screens().mainScreen();
        ASSERT_TRUE(screen);
        overlay_ = Overlay::make(desktop(), *screen, url, Rect{{0, 0}, {400, 300}},
                                 [this](Overlay&, const BridgeMessage& message) {
                                     if (message.channel == "nimbo:log" && message.payload)
                                         heard_.push_back(message.payload->dump());
                                 });
    }
    void TearDown() override {
        if (overlay_) overlay_->tearDown();
    }
    bool heard(const std::string& text) const {
        return std::find(heard_.begin(), heard_.end(), Json(text).dump()) != heard_.end();
    }

    LogLines log_;
    std::shared_ptr<Overlay> overlay_;
    std::vector<std::string> heard_;
};

TEST_F(OverlayPage, ARefusedPageComesBackOnceTheServerRecovers) {
    int requests = 0;
    PageServer server([&](const std::string&, const std::string&) {
        return ++requests == 1 ? PageServer::Answer{500, "down"} : PageServer::Answer{200, kHello};
    });
    open(server.url("/spatial/overlay"));
    ASSERT_TRUE(waitUntil([&] { return heard("hello"); }, 15.0)) << "the back-off brings the page back";
    EXPECT_EQ(log_.count("nimbo: an overlay page came back 500 — not shown"), 1u);
    EXPECT_EQ(log_.count("nimbo: an overlay page did not load (the server answered 500) — trying again in 2s"), 1u);
    EXPECT_EQ(requests, 2);
}

TEST_F(OverlayPage, ADocumentOfAnotherOriginGetsNoBridge) {
    // Each foreign page posts straight to the handler three times; only the
    // drop line, once, may come of it.
    const std::string foreign =
        "<!doctype html><script>for (const n of [1, 2, 3]) window.webkit.messageHandlers.nimbo.postMessage("
        "{kind: 'send', channel: 'nimbo:log', payload: 'forged ' + typeof window.nimboDesktop});</script>";
    // Same host, another port: another origin all the same.
    PageServer elsewhere([&](const std::string&, const std::string&) { return PageServer::Answer{200, foreign}; });
    PageServer* self = nullptr;
    PageServer server([&](const std::string& path, const std::string&) -> PageServer::Answer {
        if (path == "/foreign") return {200, foreign};
        if (path == "/goes-away")
            return {200,
                    "<!doctype html><script>location.href = '" + self->url("localhost", "/foreign") + "';</script>"};
        if (path == "/redirected") return {302, "", self->url("localhost", "/foreign")};
        if (path == "/to-another-port") return {302, "", elsewhere.url("/foreign")};
        return {404, ""};
    });
    self = &server;

    const std::pair<std::string, std::string> cases[] = {{"/goes-away", server.origin("localhost")},
                                                         {"/redirected", server.origin("localhost")},
                                                         {"/to-another-port", elsewhere.origin()}};
    for (const auto& [path, stranger] : cases) {
        SCOPED_TRACE(path);
        const std::string dropped = "nimbo: a page from " + stranger + " has no bridge — its messages are dropped";
        log_.lines.clear();
        open(server.url(path));
        ASSERT_TRUE(waitUntil([&] { return log_.count(dropped) > 0; }, 15.0));
        runFor(0.5);
        EXPECT_EQ(log_.count(dropped), 1u) << "once per document";
        EXPECT_EQ(runScript(overlay_->web(), "return typeof window.nimboDesktop;").value, Json("undefined"))
            << "no page script either";
        EXPECT_TRUE(heard_.empty());
        overlay_->tearDown();
        overlay_.reset();
    }
}

}  // namespace
}  // namespace nimbo::test
