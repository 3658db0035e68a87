#include <gtest/gtest.h>

#include "OfferDesk.h"
#include "base/Url.h"

namespace nimbo {
namespace {

class PerformingTest : public testing::OfferDesk {
protected:
    static Actions::Pending pending(const std::string& kind, std::optional<std::string> text = std::nullopt) {
        Actions::Pending offer;
        offer.id = "p";
        offer.kind = kind;
        offer.text = std::move(text);
        return offer;
    }
    static void expectOutcome(const Actions::Outcome& outcome, bool ok, const std::optional<std::string>& why) {
        EXPECT_EQ(outcome.ok, ok);
        EXPECT_EQ(outcome.why, why);
    }
};

TEST_F(PerformingTest, CopyReplacesTheClipboardWithPlainText) {
    sim.clipboard.contents = {platform::PasteboardItem{{{"image/png", "png bytes"}, {"text/html", "<b>x</b>"}}}};
    expectOutcome(Actions::perform(pending("copy", "hello")), true, std::nullopt);
    const platform::PasteboardItem text{{{"text/plain;charset=utf-8", "hello"}}};
    EXPECT_EQ(sim.clipboard.contents, std::vector<platform::PasteboardItem>{text});
    expectOutcome(Actions::perform(pending("copy")), false, "nothing to copy");
}

TEST_F(PerformingTest, OpenHandsOnlyAPlainWebAddressToTheBrowser) {
    auto offer = pending("open");
    offer.url = "https://example.com/a";
    expectOutcome(Actions::perform(offer), true, std::nullopt);
    EXPECT_EQ(sim.desktop.opened, std::vector<std::string>{"https://example.com/a"});
    // A held address is judged again before it is opened.
    offer.url = "file:///etc/passwd";
    expectOutcome(Actions::perform(offer), false, "not a web address");
    offer.url.reset();
    expectOutcome(Actions::perform(offer), false, "not a web address");
    EXPECT_EQ(sim.desktop.opened.size(), 1u);
}

TEST_F(PerformingTest, AskClaudeOpensTheStartOfThePromptAndCopiesAllOfIt) {
    // 3000 characters, some of them two bytes long and some that mean something in an address.
    std::string prompt;
    std::string first1800;
    for (int i = 0; i < 300; ++i) {
        prompt += "word é&=? ";
        if (i < 180) first1800 += "word é&=? ";
    }
    expectOutcome(Actions::perform(pending("ask-claude", prompt)), true, std::nullopt);
    EXPECT_EQ(sim.clipboard.string(), prompt);
    ASSERT_EQ(sim.desktop.opened.size(), 1u);
    auto opened = Url::parse(sim.desktop.opened[0]);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->scheme(), "https");
    EXPECT_EQ(opened->hostLowered(), "claude.ai");
    EXPECT_EQ(opened->path(), "/new");
    EXPECT_EQ(opened->queryItems(), (std::vector<std::pair<std::string, std::string>>{{"q", first1800}}));
    expectOutcome(Actions::perform(pending("ask-claude")), false, "nothing to ask Claude");
}

TEST_F(PerformingTest, AWorkspaceThatOpensNothingIsAFailure) {
    sim.desktop.opens = false;
    auto offer = pending("open");
    offer.url = "https://example.com/";
    expectOutcome(Actions::perform(offer), false, "couldn't open it");
    expectOutcome(Actions::perform(pending("ask-claude", "a prompt long enough")), false, "couldn't open Claude");
}

TEST_F(PerformingTest, AgentsOpenInTheShellOnlyThroughTheHook) {
    std::vector<std::string> paths;
    auto kept = Actions::openInApp;
    Actions::openInApp = [&](const std::string& path) {
        paths.push_back(path);
        return path != "/agents?a=gone";
    };
    expectOutcome(Actions::perform(pending("agents", "/agents?a=x1")), true, std::nullopt);
    expectOutcome(Actions::perform(pending("agents", "/agents?a=gone")), false, "couldn't open nimbo");
    expectOutcome(Actions::perform(pending("agents", "/settings")), false, "couldn't open nimbo");
    expectOutcome(Actions::perform(pending("agents")), false, "couldn't open nimbo");
    EXPECT_EQ(paths, (std::vector<std::string>{"/agents?a=x1", "/agents?a=gone"}));
    Actions::openInApp = nullptr;
    expectOutcome(Actions::perform(pending("agents", "/agents")), false, "couldn't open nimbo");
    Actions::openInApp = kept;
}

TEST_F(PerformingTest, TypeFocusesTheFieldFirstAndTypesOnlyWhenItCould) {
    const Rect box{{120, 200}, {300, 30}};
    auto search = control("AXTextField", "Search", box);
    search->attributes["AXValue"] = std::string("");
    auto offer = pending("type", "hello");
    offer.target = Elements::Target{search, box, box, "text field", "Search"};
    auto typed = Actions::perform(offer);
    EXPECT_TRUE(typed.ok) << typed.why.value_or("");
    EXPECT_EQ(sim.ax.focused, search);
    EXPECT_EQ(search->attributes["AXValue"], platform::AXValue{std::string("hello")});
    // Gone from where it was listed: not focused, so nothing is typed.
    sim::SimAccessibility::setFrame(search, {{600, 600}, {300, 30}});
    expectOutcome(Actions::perform(offer), false, "the screen changed — ask me again");
    EXPECT_EQ(search->attributes["AXValue"], platform::AXValue{std::string("hello")});
}

TEST_F(PerformingTest, KindsWithoutWhatTheyNeedAreRefused) {
    expectOutcome(Actions::perform(pending("type", "hello")), false, "that field isn't on screen any more");
    expectOutcome(Actions::perform(pending("claude", "a prompt long enough")), false, "nothing to tell Claude");
    expectOutcome(Actions::perform(pending("scroll")), false, "nothing to scroll to");
    expectOutcome(Actions::perform(pending("press")), false, "I can only press a control I can name");
    expectOutcome(Actions::perform(pending("launch", "x")), false, "I can't do that");
    EXPECT_EQ(sim.clipboard.writes, 0);
    EXPECT_TRUE(sim.desktop.opened.empty());
}

}  // namespace
}  // namespace nimbo
