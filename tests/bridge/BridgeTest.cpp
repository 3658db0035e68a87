#include <gtest/gtest.h>

#include <limits>

#include "bridge/Bridge.h"
#include "platform/sim/SimWebView.h"

namespace nimbo {
namespace {

TEST(BridgeEncode, BareFragmentsAndAbsent) {
    EXPECT_EQ(Bridge::encode(Json("hi \"there\"")), R"("hi \"there\"")");
    EXPECT_EQ(Bridge::encode(Json(true)), "true");
    EXPECT_EQ(Bridge::encode(Json(false)), "false");
    EXPECT_EQ(Bridge::encode(Json(nullptr)), "null");
    EXPECT_EQ(Bridge::encode(std::nullopt), "null");
    EXPECT_EQ(Bridge::encode(Json(2.5)), "2.5");
    EXPECT_EQ(Bridge::encode(Json{{"a", Json::array({1, "x"})}}), R"({"a":[1,"x"]})");
}

TEST(BridgeEncode, AnythingWithoutJsonFormIsNullAsAWhole) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Bridge::encode(Json(nan)), "null");
    // A non-finite number deep inside spoils the whole value, not just itself.
    EXPECT_EQ(Bridge::encode(Json{{"ok", 1}, {"deep", Json::array({1, Json{{"x", inf}}})}}), "null");
    EXPECT_EQ(Bridge::encode(Json::binary({1, 2, 3})), "null");
    EXPECT_EQ(Bridge::encode(Json{{"bytes", Json::binary({1})}}), "null");
    EXPECT_EQ(Bridge::encode(Json(std::string("\xff\xfe"))), "null");
}

TEST(BridgeEmit, ValuesTravelAsNamedArgumentsNeverInTheScript) {
    sim::SimWebView web;
    const std::string hostile = "\"); window.hacked = true; (\"";
    Bridge::emit(web, "nimbo:caption", Json{{"text", hostile}});
    Bridge::resolve(web, 7, Json(hostile));
    Bridge::emit(web, "nimbo:listen", std::nullopt);

    ASSERT_EQ(web.calls.size(), 3u);
    for (const auto& call : web.calls) EXPECT_EQ(call.body.find("hacked"), std::string::npos);
    // The page reads back exactly what was sent.
    using Events = std::vector<std::pair<std::string, Json>>;
    EXPECT_EQ(web.emitted(), (Events{{"nimbo:caption", Json{{"text", hostile}}}, {"nimbo:listen", nullptr}}));
    EXPECT_EQ(web.resolved(), (std::vector<std::pair<long long, Json>>{{7, hostile}}));
}

platform::ScriptMessage mainFrame(const Json& body) {
    return {body, true};
}

TEST(BridgeReceive, DropsWhatIsNotAWellFormedMainFrameMessage) {
    const Json good = {{"kind", "send"}, {"channel", "nimbo:log"}, {"payload", "x"}};
    EXPECT_TRUE(Bridge::receive(mainFrame(good)).has_value());

    EXPECT_FALSE(Bridge::receive({good, false})) << "sub-frame";
    EXPECT_FALSE(Bridge::receive({std::nullopt, true})) << "no JSON form";
    EXPECT_FALSE(Bridge::receive(mainFrame(Json::array({good})))) << "not a dictionary";
    EXPECT_FALSE(Bridge::receive(mainFrame("send"))) << "not a dictionary";
    EXPECT_FALSE(Bridge::receive(mainFrame({{"kind", 1}, {"channel", "nimbo:log"}})));
    EXPECT_FALSE(Bridge::receive(mainFrame({{"kind", "send"}, {"channel", nullptr}})));
    EXPECT_FALSE(Bridge::receive(mainFrame({{"kind", "send"}})));
}

TEST(BridgeReceive, PayloadAbsentIsNotNullAndOnlyWholeNumbersAreIds) {
    auto none = Bridge::receive(mainFrame({{"kind", "invoke"}, {"channel", "nimbo:capture"}, {"id", 3}}));
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->payload.has_value());
    EXPECT_EQ(none->id, 3);

    auto null = Bridge::receive(mainFrame({{"kind", "send"}, {"channel", "c"}, {"payload", nullptr}}));
    ASSERT_TRUE(null && null->payload);
    EXPECT_TRUE(null->payload->is_null());

    auto idOf = [](const Json& id) {
        return Bridge::receive(mainFrame({{"kind", "invoke"}, {"channel", "c"}, {"id", id}}))->id;
    };
    EXPECT_EQ(idOf(Json(1.5)), std::nullopt);
    EXPECT_EQ(idOf(Json("1")), std::nullopt);
    EXPECT_EQ(idOf(Json(true)), std::nullopt);
    EXPECT_EQ(idOf(Json(1e3)), 1000);
    // Past 2^53 a page's number no longer names one id.
    EXPECT_EQ(idOf(Json(1e17)), std::nullopt);
    EXPECT_EQ(idOf(Json(-1e17)), std::nullopt);
    EXPECT_EQ(idOf(Json(std::numeric_limits<unsigned long long>::max())), std::nullopt);
}

}  // namespace
}  // namespace nimbo
