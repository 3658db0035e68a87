#include <gtest/gtest.h>

#include "OfferDesk.h"
#include "base/Url.h"

namespace nimbo {
namespace {

class PerformingTest : public testing::OfferDesk {
protected:
    static Actions::Pending pending(const std::string& kind, std::optional<std::string> text = std::nullopt) {
        Actions::Pending offer;
        offer.kind = kind;
        offer.text = std::move(text);
        return offer;
    }
    static Actions::Outcome refused(const std::string& why) { return {false, why}; }
    static constexpr Actions::Outcome kDone{true, std::nullopt};
};

TEST_F(PerformingTest, CopyOpenAndAgentsAndWhatTheyNeed) {
    EXPECT_EQ(Actions::perform(pending("copy", "hello")), kDone);
    EXPECT_EQ(sim.clipboard.string(), "hello");
    auto open = pending("open");
    open.url = "https://example.com/a";
    EXPECT_EQ(Actions::perform(open), kDone);
    EXPECT_EQ(sim.desktop.opened, std::vector<std::string>{"https://example.com/a"});
    open.url = "file:///etc/passwd";  // judged again before it is opened
    EXPECT_EQ(Actions::perform(open), refused("not a web address"));
    sim.desktop.opens = false;
    open.url = "https://example.com/b";
    EXPECT_EQ(Actions::perform(open), refused("couldn't open it"));

    std::vector<std::string> paths;
    Actions::openInApp = [&](const std::string& path) {
        paths.push_back(path);
        return true;
    };
    EXPECT_EQ(Actions::perform(pending("agents", "/agents?a=x1")), kDone);
    EXPECT_EQ(Actions::perform(pending("agents", "/settings")), refused("couldn't open nimbo"));
    EXPECT_EQ(paths, std::vector<std::string>{"/agents?a=x1"});
    Actions::openInApp = nullptr;
    EXPECT_EQ(Actions::perform(pending("agents", "/agents")), refused("couldn't open nimbo"));

    EXPECT_EQ(Actions::perform(pending("copy")), refused("nothing to copy"));
    EXPECT_EQ(Actions::perform(pending("claude", "a long enough prompt")), refused("nothing to tell Claude"));
    EXPECT_EQ(Actions::perform(pending("launch", "x")), refused("I can't do that"));
    for (const std::string bad : {"https://user:pw@example.com/", "https://user@example.com/", "http://intranet/",
                                  "javascript:alert(1)", "https://exa mple.com"}) {
        EXPECT_FALSE(Actions::safeURL(bad)) << bad;
    }
}

TEST_F(PerformingTest, AskClaudeOpensTheStartOfThePromptAndCopiesAllOfIt) {
    std::string prompt;
    std::string first1800;
    for (int i = 0; i < 300; ++i) {
        prompt += "word é&=? ";  // 10 characters, some two bytes long, some meaning something in an address
        if (i < 180) first1800 += "word é&=? ";
    }
    EXPECT_EQ(Actions::perform(pending("ask-claude", prompt)), kDone);
    EXPECT_EQ(sim.clipboard.string(), prompt);
    auto opened = Url::parse(sim.desktop.opened.at(0));
    EXPECT_EQ(opened->hostLowered() + opened->path(), "claude.ai/new");
    EXPECT_EQ(opened->queryItems(), (std::vector<std::pair<std::string, std::string>>{{"q", first1800}}));
    sim.desktop.opens = false;
    EXPECT_EQ(Actions::perform(pending("ask-claude", prompt)), refused("couldn't open Claude"));
}

TEST_F(PerformingTest, TypeFocusesTheFieldFirstAndTypesOnlyWhenItCould) {
    const Rect box{{120, 200}, {300, 30}};
    auto search = control("AXTextField", "Search", box);
    search->attributes["AXValue"] = std::string("");
    auto offer = pending("type", "hello");
    EXPECT_EQ(Actions::perform(offer), refused("that field isn't on screen any more"));
    offer.target = Elements::Target{search, box, box, "text field", "Search"};
    EXPECT_EQ(Actions::perform(offer), kDone);
    EXPECT_EQ(sim.ax.focused, search);
    sim::SimAccessibility::setFrame(search, {{600, 600}, {300, 30}});
    EXPECT_EQ(Actions::perform(offer), refused("the screen changed — ask me again"));
    EXPECT_EQ(search->attributes["AXValue"], platform::AXValue{std::string("hello")});
}

}  // namespace
}  // namespace nimbo
