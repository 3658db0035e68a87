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

class Load : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<DevServer>(); }
    static void TearDownTestSuite() { server_.reset(); }

    // Starts a load of `url` with what the core is told written down, and
    // waits until it finished or failed; `accept` is the core's answer to the status.
    void load(const std::string& url, double timeout = 10.0, bool accept = true) {
        finished_ = died_ = 0;
        statuses_.clear();
        failures_.clear();
        platform::WebView::Events events;
        events.decideResponse = [this, accept](int status) {
            statuses_.push_back(status);
            return accept;
        };
        events.finished = [this] { ++finished_; };
        events.failed = [this](const platform::NavigationError& error) { failures_.push_back(error); };
        events.rendererDied = [this] { ++died_; };
        page_.web().setEvents(events);
        page_.web().load(url, timeout);
        ASSERT_TRUE(waitUntil([&] { return finished_ > 0 || !failures_.empty(); }));
    }
    // The one failure so far, as domain, code and description.
    std::vector<std::string> failure() const {
        if (failures_.size() != 1) return {"failures: " + std::to_string(failures_.size()), "", ""};
        return {failures_[0].domain, std::to_string(failures_[0].code), failures_[0].description};
    }

    inline static std::unique_ptr<DevServer> server_;
    PageHarness page_{false};
    std::vector<int> statuses_;
    std::vector<platform::NavigationError> failures_;
    int finished_ = 0, died_ = 0;
};

TEST_F(Load, StatusReachesTheCoreAndTheLoadFinishes) {
    const std::string url = server_->origin() + "/spatial/overlay";
    load(url);
    EXPECT_EQ(statuses_, std::vector<int>{200});
    EXPECT_EQ(finished_, 1);
    EXPECT_TRUE(failures_.empty());
    EXPECT_EQ(page_.web().url(), url);

    // A 404 is told to the core, which here lets it show.
    load(server_->origin() + "/no-such-page");
    EXPECT_EQ(statuses_, std::vector<int>{404});
    EXPECT_EQ(finished_, 1);
}

TEST_F(Load, FailuresComeInTheUrlLoadingVocabularyOnce) {
    // A refused response fails, and not as a cancellation, which would never be retried.
    load(server_->origin() + "/no-such-page", 10.0, /*accept=*/false);
    EXPECT_EQ(statuses_, std::vector<int>{404});
    EXPECT_EQ(failure(), (std::vector<std::string>{"NSURLErrorDomain", "-1011", "the server answered 404"}));
    runFor(0.3);
    EXPECT_EQ(finished_, 0) << "a turned-down page never counts as loaded";

    load("http://127.0.0.1:" + std::to_string(refusedPort()) + "/spatial/overlay");
    EXPECT_EQ(failure()[0] + " " + failure()[1], "NSURLErrorDomain -1004") << failure()[2];
    EXPECT_TRUE(statuses_.empty());

    SilentServer silent;
    const double began = desktop().clock().now();
    load("http://127.0.0.1:" + std::to_string(silent.port()) + "/", 0.3);
    const double took = desktop().clock().now() - began;
    EXPECT_GE(took, 0.29);
    EXPECT_LT(took, 5.0);
    EXPECT_EQ(failure(), (std::vector<std::string>{"NSURLErrorDomain", "-1001", "The request timed out."}));
    // The engine's own cancellation that follows is not a second failure.
    runFor(0.5);
    EXPECT_EQ(failures_.size(), 1u);
    EXPECT_EQ(finished_, 0);

    // The view is usable again afterwards, and a load that commits in time isn't cut off.
    load(server_->origin() + "/spatial/overlay", 0.3);
    EXPECT_EQ(finished_, 1);
    runFor(0.5);
    EXPECT_TRUE(failures_.empty());
}

TEST_F(Load, ANewLoadReplacesOneInFlight) {
    SilentServer silent;
    page_.web().load("http://127.0.0.1:" + std::to_string(silent.port()) + "/", 0.5);
    load(server_->origin() + "/spatial/overlay");
    runFor(0.8);  // past the first load's time-out
    for (const auto& failure : failures_) EXPECT_EQ(failure.code, -999) << failure.description;
    EXPECT_EQ(finished_, 1);
}

TEST_F(Load, TheCoreHearsWhenThePageProcessDies) {
    load(server_->origin() + "/spatial/overlay");
    webkit_web_view_terminate_web_process(dynamic_cast<x11::WebKitView&>(page_.web()).webView());
    ASSERT_TRUE(waitUntil([&] { return died_ > 0; }));
    runFor(0.2);
    EXPECT_EQ(died_, 1);
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
