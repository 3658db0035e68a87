// Loading pages: the response status reaches the core before the page shows,
// failures arrive in the URL-loading vocabulary, and a load that hangs ends
// with a time-out.
#include <gtest/gtest.h>

#include <memory>

#include <vector>

#include "Desktop.h"
#include "PageHarness.h"
#include "platform/linux/gtk/WebKitView.h"

namespace nimbo::test {
namespace {

struct Recorded {
    std::vector<int> statuses;
    std::vector<platform::NavigationError> failures;
    int finished = 0;
    int died = 0;
};

platform::WebView::Events recordInto(Recorded& recorded, bool accept = true) {
    platform::WebView::Events events;
    events.decideResponse = [&recorded, accept](int status) {
        recorded.statuses.push_back(status);
        return accept;
    };
    events.finished = [&recorded] { ++recorded.finished; };
    events.failed = [&recorded](const platform::NavigationError& error) { recorded.failures.push_back(error); };
    events.rendererDied = [&recorded] { ++recorded.died; };
    return events;
}

class Load : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<DevServer>(); }
    static void TearDownTestSuite() { server_.reset(); }
    inline static std::unique_ptr<DevServer> server_;
    PageHarness page_{false};
    Recorded recorded_;
};

TEST_F(Load, StatusReachesTheCoreAndTheLoadFinishes) {
    page_.web().setEvents(recordInto(recorded_));
    const std::string url = server_->origin() + "/spatial/overlay";
    page_.web().load(url, 10.0);
    ASSERT_TRUE(waitUntil([&] { return recorded_.finished > 0 || !recorded_.failures.empty(); }));
    EXPECT_EQ(recorded_.statuses, std::vector<int>{200});
    EXPECT_EQ(recorded_.finished, 1);
    EXPECT_TRUE(recorded_.failures.empty());
    EXPECT_EQ(page_.web().url(), url);

    // A 404 is told to the core, which here lets it show.
    recorded_ = {};
    page_.web().load(server_->origin() + "/no-such-page", 10.0);
    ASSERT_TRUE(waitUntil([&] { return recorded_.finished > 0 || !recorded_.failures.empty(); }));
    EXPECT_EQ(recorded_.statuses, std::vector<int>{404});
    EXPECT_EQ(recorded_.finished, 1);
}

TEST_F(Load, ARefusedResponseFailsSoItIsTriedAgain) {
    page_.web().setEvents(recordInto(recorded_, /*accept=*/false));
    page_.web().load(server_->origin() + "/no-such-page", 10.0);
    ASSERT_TRUE(waitUntil([&] { return !recorded_.failures.empty() || recorded_.finished > 0; }));
    EXPECT_EQ(recorded_.statuses, std::vector<int>{404});
    ASSERT_EQ(recorded_.failures.size(), 1u);
    EXPECT_EQ(recorded_.failures[0].domain, "NSURLErrorDomain");
    EXPECT_EQ(recorded_.failures[0].code, -1011) << "not a cancellation, which would never be retried";
    EXPECT_EQ(recorded_.failures[0].description, "the server answered 404");
    runFor(0.3);
    EXPECT_EQ(recorded_.finished, 0) << "a turned-down page never counts as loaded";
    EXPECT_EQ(recorded_.failures.size(), 1u);
}

TEST_F(Load, AnUnreachableServerFailsToConnect) {
    page_.web().setEvents(recordInto(recorded_));
    page_.web().load("http://127.0.0.1:" + std::to_string(refusedPort()) + "/spatial/overlay", 10.0);
    ASSERT_TRUE(waitUntil([&] { return !recorded_.failures.empty(); }));
    EXPECT_EQ(recorded_.failures[0].domain, "NSURLErrorDomain");
    EXPECT_EQ(recorded_.failures[0].code, -1004);
    EXPECT_TRUE(recorded_.statuses.empty());
    EXPECT_EQ(recorded_.finished, 0);
}

TEST_F(Load, ASilentServerTimesOutOnce) {
    SilentServer silent;
    page_.web().setEvents(recordInto(recorded_));
    auto& clock = desktop().clock();
    const double began = clock.now();
    page_.web().load("http://127.0.0.1:" + std::to_string(silent.port()) + "/", 0.3);
    ASSERT_TRUE(waitUntil([&] { return !recorded_.failures.empty(); }));
    const double took = clock.now() - began;
    EXPECT_GE(took, 0.29);
    EXPECT_LT(took, 5.0);
    ASSERT_EQ(recorded_.failures.size(), 1u);
    EXPECT_EQ(recorded_.failures[0].domain, "NSURLErrorDomain");
    EXPECT_EQ(recorded_.failures[0].code, -1001);
    EXPECT_EQ(recorded_.failures[0].description, "The request timed out.");
    // The engine's own cancellation that follows is not a second failure.
    runFor(0.5);
    EXPECT_EQ(recorded_.failures.size(), 1u);
    EXPECT_EQ(recorded_.finished, 0);

    // The view is usable again afterwards, and a load that commits in time isn't cut off.
    recorded_ = {};
    page_.web().load(server_->origin() + "/spatial/overlay", 0.3);
    ASSERT_TRUE(waitUntil([&] { return recorded_.finished > 0 || !recorded_.failures.empty(); }));
    EXPECT_EQ(recorded_.finished, 1);
    runFor(0.5);
    EXPECT_TRUE(recorded_.failures.empty());
}

TEST_F(Load, ANewLoadReplacesOneInFlight) {
    SilentServer silent;
    page_.web().setEvents(recordInto(recorded_));
    page_.web().load("http://127.0.0.1:" + std::to_string(silent.port()) + "/", 0.5);
    page_.web().load(server_->origin() + "/spatial/overlay", 10.0);
    ASSERT_TRUE(waitUntil([&] { return recorded_.finished > 0; }));
    runFor(0.8);  // past the first load's time-out
    for (const auto& failure : recorded_.failures) EXPECT_EQ(failure.code, -999) << failure.description;
    EXPECT_EQ(recorded_.finished, 1);
}

TEST_F(Load, TheCoreHearsWhenThePageProcessDies) {
    page_.web().setEvents(recordInto(recorded_));
    page_.web().load(server_->origin() + "/spatial/overlay", 10.0);
    ASSERT_TRUE(waitUntil([&] { return recorded_.finished > 0; }));
    auto* view = dynamic_cast<x11::WebKitView*>(&page_.web());
    ASSERT_NE(view, nullptr);
    webkit_web_view_terminate_web_process(view->webView());
    ASSERT_TRUE(waitUntil([&] { return recorded_.died > 0; }));
    EXPECT_EQ(recorded_.died, 1);
}

TEST_F(Load, ScriptsRunWithNamedArgumentsAndReportErrors) {
    ASSERT_TRUE(page_.open(server_->origin() + "/spatial/overlay"));
    const Json arguments = {{"text", "a \"quoted\" — line\n"},
                            {"count", 3},
                            {"big", 9007199254740993LL},
                            {"ratio", 0.25},
                            {"yes", true},
                            {"nothing", nullptr},
                            {"list", {1, "two", false}},
                            {"empty", Json::array()},
                            {"nested", {{"inner", {{"deep", "x"}, {"flag", false}, {"none", nullptr}}}}}};
    const auto echoed = page_.run(
        "return {text, count, big, ratio, yes, nothing, list, empty, nested, "
        "kinds: [typeof count, typeof nothing, Array.isArray(list), typeof yes]};",
        arguments);
    ASSERT_FALSE(echoed.error) << *echoed.error;
    Json expected = arguments;
    expected["big"] = 9007199254740992LL;  // page numbers are doubles
    expected["kinds"] = Json({"number", "object", true, "boolean"});
    EXPECT_EQ(echoed.value, expected);

    // A value that looks like code stays a value.
    EXPECT_EQ(page_.run("return typeof code;", {{"code", {{"x", "'); throw 1; ('"}}}}).value, Json("object"));
    // A name that isn't an identifier can't be a parameter.
    const auto badName = page_.run("return 1;", {{"not a name", 1}});
    EXPECT_FALSE(badName.value);
    EXPECT_TRUE(badName.error);

    EXPECT_EQ(page_.run("return await new Promise((r) => setTimeout(() => r('later'), 10));").value, Json("later"));
    EXPECT_FALSE(page_.run("return undefined;").value) << "undefined has no JSON form";
    const auto thrown = page_.run("throw new Error('boom');");
    EXPECT_FALSE(thrown.value);
    ASSERT_TRUE(thrown.error);
    EXPECT_NE(thrown.error->find("boom"), std::string::npos) << *thrown.error;
    EXPECT_TRUE(page_.run("this is not javascript").error);
}

}  // namespace
}  // namespace nimbo::test
