// Which frame posted a message. Only the main frame's posts may count as the
// page's; sub-frames, whether cross-origin (another host) or same-origin in
// the same process (srcdoc), arrive marked as not from the main frame, and
// can't borrow the main frame's proof.
#include <gtest/gtest.h>
#include <libsoup/soup.h>

#include <string>

#include "Desktop.h"
#include "PageHarness.h"
#include "bridge/Bridge.h"

namespace nimbo::test {
namespace {

// A loopback server whose pages are written here, reachable as both
// 127.0.0.1 and localhost: two hosts, hence two origins.
class FramePages {
public:
    FramePages() {
        server_ = x11::GObjectPtr<SoupServer>::adopt(soup_server_new(nullptr, nullptr));
        soup_server_add_handler(server_.get(), nullptr, &FramePages::serve, this, nullptr);
        x11::GErrorPtr error;
        if (!soup_server_listen_local(server_.get(), 0, SOUP_SERVER_LISTEN_IPV4_ONLY, error.out()))
            throw std::runtime_error(error->message);
        GSList* uris = soup_server_get_uris(server_.get());
        port_ = g_uri_get_port(static_cast<GUri*>(uris->data));
        g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
    }
    ~FramePages() { soup_server_disconnect(server_.get()); }

    std::string url(const std::string& host, const std::string& path) const {
        return "http://" + host + ":" + std::to_string(port_) + path;
    }

private:
    static void serve(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*, gpointer data) {
        auto* self = static_cast<FramePages*>(data);
        std::string body;
        const std::string post = "window.webkit.messageHandlers.nimbo.postMessage";
        if (std::string(path) == "/main") {
            // Same-origin, same-process child: a srcdoc frame posting directly.
            const std::string same =
                "<script>" + post + "({kind:'send',channel:'nimbo:log',payload:'same-origin child'});</script>";
            body =
                "<!doctype html><html><body>"
                "<iframe id='cross' src='" +
                self->url("localhost", "/child") +
                "'></iframe>"
                "<iframe id='same' srcdoc=\"" +
                same +
                "\"></iframe>"
                "</body></html>";
        } else if (std::string(path) == "/child") {
            body = "<!doctype html><html><body><script>" + post +
                   "({kind:'send',channel:'nimbo:log',payload:'cross-origin child'});" + post +
                   "({__nimboFrameToken:'guess',body:{kind:'send',channel:'nimbo:log',payload:'forged'}});"
                   "try { parent.webkit.messageHandlers.nimbo.postMessage({kind:'send',channel:'nimbo:log',"
                   "payload:'through parent'}); } catch (e) {" +
                   post +
                   "({kind:'send',channel:'nimbo:log',payload:'parent refused'}); }"
                   "</script></body></html>";
        } else {
            soup_server_message_set_status(message, 404, nullptr);
            return;
        }
        soup_server_message_set_status(message, 200, nullptr);
        soup_server_message_set_response(message, "text/html", SOUP_MEMORY_COPY, body.data(), body.size());
    }

    x11::GObjectPtr<SoupServer> server_;
    int port_ = 0;
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

TEST(Frames, SubFramePostsAreNotTheMainFrames) {
    FramePages pages;
    PageHarness page;
    ASSERT_TRUE(page.open(pages.url("127.0.0.1", "/main")));
    ASSERT_TRUE(waitUntil([&] {
        return findLog(page.messages(), "cross-origin child") && findLog(page.messages(), "same-origin child") &&
               findLog(page.messages(), "forged") && findLog(page.messages(), "parent refused");
    })) << "every child should have posted";

    const auto* cross = findLog(page.messages(), "cross-origin child");
    EXPECT_FALSE(cross->fromMainFrame);
    EXPECT_EQ(cross->body, Json({{"kind", "send"}, {"channel", "nimbo:log"}, {"payload", "cross-origin child"}}));
    EXPECT_FALSE(Bridge::receive(*cross)) << "the core drops a sub-frame's message";

    EXPECT_FALSE(findLog(page.messages(), "same-origin child")->fromMainFrame);

    // A guessed proof is just part of an ordinary sub-frame body, passed on whole.
    const auto* forged = findLog(page.messages(), "forged");
    EXPECT_FALSE(forged->fromMainFrame);
    ASSERT_TRUE(forged->body);
    EXPECT_EQ((*forged->body)["__nimboFrameToken"], Json("guess"));

    // A cross-origin child can't reach the main frame's handler to post as it.
    EXPECT_FALSE(findLog(page.messages(), "through parent"));

    // And the main frame's own posts still count as the main frame's.
    page.clear();
    ASSERT_FALSE(page.run("nimboDesktop.log('main'); return true;").error);
    ASSERT_TRUE(page.waitForBodies("nimbo:log", 1));
}

TEST(Frames, BodiesArriveIntactForTheCoreToJudge) {
    FramePages pages;
    PageHarness page;
    ASSERT_TRUE(page.open(pages.url("127.0.0.1", "/main")));
    page.clear();
    ASSERT_FALSE(page.run(R"JS(
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
    ASSERT_TRUE(page.waitForBodies("nimbo:log", 1));
    const auto& got = page.messages();
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

TEST(Frames, TheMainFramesProofStaysHiddenAndInPlace) {
    FramePages pages;
    PageHarness page;
    ASSERT_TRUE(page.open(pages.url("127.0.0.1", "/main")));
    // The proof lives in a closure: the wrapper's source text doesn't carry it.
    EXPECT_EQ(page.run("return /[0-9a-f]{32}/.test(String(window.webkit.messageHandlers.nimbo.postMessage));").value,
              Json(false));
    // Page code can't swap the wrapper out, so the main frame's posts keep their proof.
    page.clear();
    const auto replaced = page.run(R"JS(
        const proto = Object.getPrototypeOf(window.webkit.messageHandlers.nimbo);
        const wrapper = proto.postMessage;
        try { proto.postMessage = function () {}; } catch (e) {}
        try { Object.defineProperty(proto, "postMessage", {value: function () {}}); } catch (e) {}
        nimboDesktop.log("still main");
        return proto.postMessage === wrapper;)JS");
    EXPECT_EQ(replaced.value, Json(true));
    ASSERT_TRUE(page.waitForBodies("nimbo:log", 1));
}

}  // namespace
}  // namespace nimbo::test
