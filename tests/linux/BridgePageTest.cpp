// The page script in a real WebKitGTK view, on the reference server's overlay
// page: what it posts for awkward arguments, how invokes are answered, and how
// events reach subscribers.
#include <gtest/gtest.h>

#include <memory>

#include "Desktop.h"
#include "PageHarness.h"
#include "bridge/Bridge.h"

namespace nimbo::test {
namespace {

class BridgePage : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<DevServer>(); }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(page_.open(server_->origin() + "/spatial/overlay"));
        ASSERT_TRUE(waitUntil([&] { return page_.run("return typeof nimboDesktop;").value == Json("object"); }));
    }

    // Runs page code and returns the payload of the one message it posted on `channel`.
    MaybeJson payloadOf(const std::string& call, const std::string& channel) {
        page_.clear();
        const auto result = page_.run(call + "; return true;");
        EXPECT_FALSE(result.error) << call << ": " << result.error.value_or("");
        EXPECT_TRUE(page_.waitForBodies(channel, 1)) << call;
        const auto bodies = page_.bodiesOn(channel);
        if (bodies.empty()) return std::nullopt;
        EXPECT_EQ(bodies.size(), 1u) << call;
        // Read it the way the core does.
        const auto message = Bridge::receive({bodies.front(), true});
        EXPECT_TRUE(message) << call;
        return message ? message->payload : std::nullopt;
    }

    // Starts an invoke in the page and answers it with `value`; returns what the page's promise got.
    platform::ScriptResult answerInvoke(const std::string& call, const std::string& channel, const MaybeJson& value) {
        page_.clear();
        auto result = std::make_shared<platform::ScriptResult>();
        auto done = std::make_shared<bool>(false);
        page_.start("return await " + call + ";", Json::object(), result, done);
        EXPECT_TRUE(page_.waitForBodies(channel, 1));
        const auto bodies = page_.bodiesOn(channel);
        if (bodies.empty()) return {};
        const auto message = Bridge::receive({bodies.front(), true});
        EXPECT_TRUE(message && message->kind == "invoke" && message->id);
        if (!message || !message->id) return {};
        EXPECT_FALSE(*done) << "the promise must wait for the shell's answer";
        Bridge::resolve(page_.web(), *message->id, value);
        EXPECT_TRUE(waitUntil([&] { return *done; }));
        return *result;
    }

    inline static std::unique_ptr<DevServer> server_;
    PageHarness page_;
};

TEST_F(BridgePage, RequestsPostNormalisedPayloads) {
    const Json typed = {{"text", "x"},       {"at", nullptr},      {"submit", false},
                        {"target", nullptr}, {"capture", nullptr}, {"elementId", nullptr}};
    const Json hide{{"hideOverlays", true}};
    const struct {
        const char* call;
        const char* channel;
        Json payload;
    } requests[] = {
        {"scrollPage()", "nimbo:scroll", {{"pages", 0.85}}},
        {"scrollPage('2')", "nimbo:scroll", {{"pages", 0.85}}},
        {"scrollPage(2)", "nimbo:scroll", {{"pages", 2}}},
        {"type('x', null, {submit: 'true'})", "nimbo:type", typed},
        {"type('x', {x: 1}, {submit: true, target: 'Mail', field: {capture: 3, elementId: 'e7'}})",
         "nimbo:type",
         {{"text", "x"},
          {"at", {{"x", 1}}},
          {"submit", true},
          {"target", "Mail"},
          {"capture", 3},
          {"elementId", "e7"}}},
        {"watchFrame()", "nimbo:watch-frame", hide},
        {"watchFrame({})", "nimbo:watch-frame", hide},
        {"watchFrame({hideOverlays: 0})", "nimbo:watch-frame", hide},
        {"watchFrame({hideOverlays: false})", "nimbo:watch-frame", {{"hideOverlays", false}}},
        {"startPrompter(null, {mode: 'TIMED'})",
         "nimbo:prompter-start",
         {{"text", ""}, {"mode", "voice"}, {"seconds", nullptr}}},
        {"startPrompter('hi', {mode: 'timed', seconds: 30})",
         "nimbo:prompter-start",
         {{"text", "hi"}, {"mode", "timed"}, {"seconds", 30}}},
    };
    for (const auto& [call, channel, payload] : requests)
        EXPECT_EQ(payloadOf(std::string("nimboDesktop.") + call, channel), payload) << call;
}

TEST_F(BridgePage, SendsWithoutPayloadOmitTheMember) {
    page_.clear();
    ASSERT_FALSE(page_.run("nimboDesktop.haptic(); return true;").error);
    ASSERT_TRUE(page_.waitForBodies("nimbo:haptic", 1));
    const auto message = Bridge::receive({page_.bodiesOn("nimbo:haptic").front(), true});
    ASSERT_TRUE(message);
    EXPECT_EQ(message->kind, "send");
    EXPECT_FALSE(message->payload) << "a missing payload must stay missing, not become null";
    EXPECT_FALSE(message->id);
}

TEST_F(BridgePage, InvokesResolveThroughTheBridge) {
    auto answered = answerInvoke("nimboDesktop.scrollPage(2)", "nimbo:scroll", Json{{"ok", true}, {"moved", 2}});
    EXPECT_FALSE(answered.error);
    EXPECT_EQ(answered.value, Json({{"ok", true}, {"moved", 2}}));

    // An invoke the shell has nothing to say to is answered with null, and the page sees null.
    answered = answerInvoke("nimboDesktop.housing()", "nimbo:housing", std::nullopt);
    EXPECT_FALSE(answered.error);
    EXPECT_EQ(answered.value, Json(nullptr));

    // Awkward text crosses as a value, never as script text.
    const std::string awkward = "</script>\"'\\\n`${x}` — ✓ \u2028";
    answered = answerInvoke("nimboDesktop.pref('voice')", "nimbo:pref-get", Json(awkward));
    EXPECT_EQ(answered.value, Json(awkward));
}

TEST_F(BridgePage, TextCutInsideAnEmojiStillArrivesAndIsAnswered) {
    // A lone half of a surrogate pair at the end; alone; before an escape; and an
    // escaped backslash before "udc00", which is no surrogate at all.
    EXPECT_EQ(payloadOf("nimboDesktop.log('cut 😀'.slice(0, -1))", "nimbo:log"), Json("cut \uFFFD"));
    EXPECT_EQ(payloadOf(R"JS(nimboDesktop.log('\\udc00 \udc00 \ud83d\n 😀'))JS", "nimbo:log"),
              Json("\\udc00 \uFFFD \uFFFD\n 😀"));
    const auto answered = answerInvoke(R"JS(nimboDesktop.pref('\ud800'))JS", "nimbo:pref-get", Json("answered"));
    EXPECT_EQ(answered.value, Json("answered"));
}

TEST_F(BridgePage, EventsReachEverySubscriberOnce) {
    ASSERT_FALSE(page_
                     .run(R"JS(
        window.__heard = [];
        nimboDesktop.onCaption((p) => __heard.push("first:" + p.text));
        nimboDesktop.onCaption(() => { throw new Error("a broken subscriber"); });
        const twice = (p) => __heard.push("twice:" + p.text);
        nimboDesktop.onCaption(twice);
        nimboDesktop.onCaption(twice);
        const off = nimboDesktop.onCaption((p) => __heard.push("gone:" + p.text));
        off();
        off();
        return true;)JS")
                     .error);
    Bridge::emit(page_.web(), "nimbo:caption", Json{{"text", "hello"}});
    Bridge::emit(page_.web(), "nimbo:quiet", Json(true));  // nobody listens: ignored
    ASSERT_TRUE(waitUntil([&] { return page_.run("return __heard.length;").value == Json(2); }));
    EXPECT_EQ(page_.run("return __heard;").value, Json({"first:hello", "twice:hello"}));
}

TEST_F(BridgePage, AnswersForUnknownInvokesAreIgnored) {
    // An answer for an id the page never used (say, after a reload) changes nothing.
    Bridge::resolve(page_.web(), 987654, Json("stale"));
    const auto answered = answerInvoke("nimboDesktop.quiet()", "nimbo:quiet-now", Json(false));
    EXPECT_EQ(answered.value, Json(false));
}

}  // namespace
}  // namespace nimbo::test
