// Which frame posted a message. Only the main frame's posts may count as the
// page's; sub-frames, whether cross-origin (another host) or same-origin in
// the same process (srcdoc), arrive marked as not from the main frame, and
// can't borrow the main frame's proof.
#include <gtest/gtest.h>

#include <string>

#include "Desktop.h"
#include "PageHarness.h"
#include "PageServer.h"
#include "bridge/Bridge.h"

namespace nimbo::test {
namespace {

// The main page holds a cross-origin child (another host) and a same-origin srcdoc child.
PageServer::Answer framePage(const PageServer& server, const std::string& path) {
    const std::string post = "window.webkit.messageHandlers.nimbo.postMessage";
    if (path == "/main") {
        const std::string same =
            "<script>" + post + "({kind:'send',channel:'nimbo:log',payload:'same-origin child'});</script>";
        return {200, "<!doctype html><iframe src='" + server.url("localhost", "/child") +
                         "'></iframe><iframe srcdoc=\"" + same + "\"></iframe>"};
    }
    if (path == "/child")
        return {200, "<!doctype html><script>" + post +
                         "({kind:'send',channel:'nimbo:log',payload:'cross-origin child'});" + post +
                         "({__nimboFrameToken:'guess',body:{kind:'send',channel:'nimbo:log',payload:'forged'}});"
                         "try { parent.webkit.messageHandlers.nimbo.postMessage({kind:'send',channel:'nimbo:log',"
                         "payload:'through parent'}); } catch (e) {" +
                         post + "({kind:'send',channel:'nimbo:log',payload:'parent refused'}); }</script>"};
    return {404};
}

class Frames : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(page_.open(pages_.url("/main"))); }
    PageServer pages_{[this](const std::string& path, const std::string&) { return framePage(pages_, path); }};
    PageHarness page_;
};

const platform::ScriptMessage* findLog(const std::vector<platform::ScriptMessage>& messages, const std::string& text) {
    for (const auto& message : messages) {
        if (!message.body || !message.body->is_object()) continue;
        const Json& body = *message.body;
        if (body.value("payload", Json()) == Json(text)) return &message;
        if (body.contains("body") && body["body"].is_object() && body["body"].value("payload", Json()) == Json(text))
            return &message;
    }
    return nullptr;
}

TEST_F(Frames, SubFramePostsAreNotTheMainFrames) {
    ASSERT_TRUE(waitUntil([&] {
        return findLog(page_.messages(), "cross-origin child") && findLog(page_.messages(), "same-origin child") &&
               findLog(page_.messages(), "forged") && findLog(page_.messages(), "parent refused");
    })) << "every child should have posted";

    const auto* cross = findLog(page_.messages(), "cross-origin child");
    EXPECT_FALSE(cross->fromMainFrame);
    EXPECT_EQ(cross->body, Json({{"kind", "send"}, {"channel", "nimbo:log"}, {"payload", "cross-origin child"}}));
    EXPECT_FALSE(Bridge::receive(*cross)) << "the core drops a sub-frame's message";

    EXPECT_FALSE(findLog(page_.messages(), "same-origin child")->fromMainFrame);

    // A guessed proof is just part of an ordinary sub-frame body, passed on whole.
    const auto* forged = findLog(page_.messages(), "forged");
    EXPECT_FALSE(forged->fromMainFrame);
    ASSERT_TRUE(forged->body);
    EXPECT_EQ((*forged->body)["__nimboFrameToken"], Json("guess"));

    // A cross-origin child can't reach the main frame's handler to post as it.
    EXPECT_FALSE(findLog(page_.messages(), "through parent"));

    // And the main frame's own posts still count as the main frame's.
    page_.clear();
    ASSERT_FALSE(page_.run("nimboDesktop.log('main'); return true;").error);
    ASSERT_TRUE(page_.waitForBodies("nimbo:log", 1));
}

TEST_F(Frames, BodiesArriveIntactForTheCoreToJudge) {
    page_.clear();
    ASSERT_FALSE(page_
                     .run(R"JS(
        const post = (v) => window.webkit.messageHandlers.nimbo.postMessage(v);
        post("just text");
        post([1, "two", {three: 3}]);
        post(42.5);
        post(null);
        post(undefined);
        const cyclic = {kind: "send"}; cyclic.self = cyclic;
        post(cyclic);
        post({kind: "send", channel: "nimbo:log", payload: "last"});
        return true;)JS")
                     .error);
    ASSERT_TRUE(page_.waitForBodies("nimbo:log", 1));
    const auto& got = page_.messages();
    ASSERT_EQ(got.size(), 7u);
    for (const auto& message : got) EXPECT_TRUE(message.fromMainFrame);
    EXPECT_EQ(got[0].body, Json("just text"));
    EXPECT_EQ(got[1].body, Json::parse(R"([1, "two", {"three": 3}])"));
    EXPECT_EQ(got[2].body, Json(42.5));
    EXPECT_EQ(got[3].body, Json(nullptr));
    EXPECT_FALSE(got[4].body) << "undefined has no JSON form";
    EXPECT_FALSE(got[5].body) << "a cyclic object has no JSON form";
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(Bridge::receive(got[i])) << "message " << i;
    EXPECT_TRUE(Bridge::receive(got[6]));
}

TEST_F(Frames, TheMainFramesProofStaysHiddenAndInPlace) {
    // The proof lives in a closure: the wrapper's source text doesn't carry it.
    EXPECT_EQ(page_.run("return /[0-9a-f]{32}/.test(String(window.webkit.messageHandlers.nimbo.postMessage));").value,
              Json(false));
    // Page code can't swap the wrapper out, so the main frame's posts keep their proof.
    page_.clear();
    const auto replaced = page_.run(R"JS(
        const proto = Object.getPrototypeOf(window.webkit.messageHandlers.nimbo);
        const wrapper = proto.postMessage;
        try { proto.postMessage = function () {}; } catch (e) {}
        try { Object.defineProperty(proto, "postMessage", {value: function () {}}); } catch (e) {}
        nimboDesktop.log("still main");
        return proto.postMessage === wrapper;)JS");
    EXPECT_EQ(replaced.value, Json(true));
    ASSERT_TRUE(page_.waitForBodies("nimbo:log", 1));
}

}  // namespace
}  // namespace nimbo::test
