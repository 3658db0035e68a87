#include <gtest/gtest.h>

#include "OfferDesk.h"

namespace nimbo {
namespace {

using testing::offerOf;
using testing::refusal;

class OfferStagingTest : public testing::OfferDesk {};

Json held(const Json& detail) {
    return Json{{"ok", true}, {"detail", detail}};
}

TEST_F(OfferStagingTest, EveryKindIsJudgedBeforeItIsHeld) {
    control("AXButton", "Settings", {{120, 120}, {100, 30}});
    control("AXButton", "Delete account", {{240, 120}, {140, 30}});
    control("AXButton", "Deleted items", {{400, 120}, {140, 30}});
    control("AXTextField", "Search", {{120, 200}, {300, 30}})->attributes["AXValue"] = std::string("");
    control("AXLink", "Docs", {{120, 260}, {80, 20}})->attributes["AXURL"] =
        platform::AXUrl{"https://docs.example.com/a"};
    control("AXStaticText", "Quarterly totals", {{120, 300}, {200, 20}});
    auto ids = list(3);
    // 400 characters as the user counts them, 1200 code points.
    std::string family;
    for (int i = 0; i < 400; ++i) family += "\U0001F468\u200D\U0001F469";
    const std::string prompt = "fix the failing test please";
    struct Case {
        Json body;
        std::string on;  // the listed control the offer names, if any
        Json answer;
    };
    const std::vector<Case> cases = {
        {{{"do", "type"}, {"text", family}}, "Search", held(nullptr)},
        {{{"do", "type"}, {"text", family + "x"}}, "Search", refusal("nothing to type")},
        {{{"do", "type"}, {"text", "one\u2029two"}}, "Search", refusal("nothing to type")},
        {{{"do", "type"}, {"text", "one\vtwo"}}, "Search", refusal("nothing to type")},
        {{{"do", "type"}, {"text", "hi"}}, "Settings", refusal("that field isn't on screen any more")},
        {{{"do", "type"}, {"text", "hi"}}, "", refusal("that field isn't on screen any more")},
        {{{"do", "copy"}, {"text", "hello"}}, "", held("hello")},
        {{{"do", "copy"}}, "Docs", held("https://docs.example.com/a")},
        {{{"do", "copy"}, {"text", std::string(2001, 'a')}}, "Quarterly totals", held("Quarterly totals")},
        {{{"do", "copy"}, {"text", ""}}, "", refusal("nothing to copy")},
        {{{"do", "open"}, {"url", "https://example.com/a?b=c"}}, "", held("https://example.com/a?b=c")},
        {{{"do", "open"}, {"url", "file:///etc/passwd"}}, "", refusal("not a web address")},
        {{{"do", "press"}}, "Deleted items", held(nullptr)},
        {{{"do", "press"}}, "Delete account", refusal("that one's yours to press")},
        {{{"do", "press"}}, "Quarterly totals", refusal("I can only press a control I can name")},
        {{{"do", "claude"}, {"prompt", "too short"}}, "", refusal("nothing to tell Claude")},
        {{{"do", "claude"}, {"prompt", prompt}}, "", refusal("Claude Code isn't installed")},
        {{{"do", "ask-claude"}, {"prompt", std::string(4001, 'a')}}, "", refusal("nothing to ask Claude")},
        {{{"do", "ask-claude"}, {"prompt", prompt}}, "", held("claude.ai")},
        {{{"do", "scroll"}, {"find", "ab"}}, "", refusal("nothing to scroll to")},
        {{{"do", "scroll"}, {"find", "abc"}}, "", held("abc")},
        {{{"do", "agents"}, {"path", "/agents?a=abc_1"}}, "", held(nullptr)},
        {{{"do", "agents"}, {"path", "/agents?a="}}, "", refusal("not one of nimbo's pages")},
        {{{"do", "agents"}, {"path", "/agents/x"}}, "", refusal("not one of nimbo's pages")},
        {{{"do", "launch"}}, "", refusal("I can't do that")},
        {{{"do", 3}}, "", refusal("no offer")},
    };
    for (const auto& c : cases) {
        auto body = c.body;
        if (!c.on.empty()) body["elementId"] = ids.at(c.on);
        EXPECT_EQ(propose(offerOf("o", body, 3)), c.answer) << c.body.dump() << " on " << c.on;
        EXPECT_EQ(Actions::held().has_value(), c.answer["ok"].get<bool>());
    }
    EXPECT_EQ(propose(Json{{"id", 1}, {"offer", {{"do", "copy"}}}}), refusal("no offer"));
    // A capture never listed, or a fraction of one, names nothing.
    const Json search{{"do", "type"}, {"text", "hi"}, {"elementId", ids.at("Search")}};
    EXPECT_EQ(propose(offerOf("o", search, 9)), refusal("that field isn't on screen any more"));
    EXPECT_EQ(propose(Json{{"id", "o"}, {"offer", search}, {"capture", 3.5}}),
              refusal("that field isn't on screen any more"));
}

TEST_F(OfferStagingTest, TheUsersOwnControlsAreNamedInWholeWordsOfAnyCase) {
    for (const std::string name : {"Sign out", "Log out", "Signout", "LOGOUT", "Confirm order", "Cancel plan"}) {
        EXPECT_TRUE(std::regex_search(name, Actions::theirs())) << name;
    }
    for (const std::string name : {"Settings", "Forward", "Share", "Postpone", "Ordering", "Reorder", "Cancel"}) {
        EXPECT_FALSE(std::regex_search(name, Actions::theirs())) << name;
    }
}

TEST_F(OfferStagingTest, AStagingOvertakenByANewerProposalOrAClearHasGone) {
    sim.advance(4.0);
    invoke(overlay(), "nimbo:offer", offerOf("first", {{"do", "copy"}, {"text", "one"}}), 1);
    invoke(overlay(), "nimbo:offer", offerOf("second", {{"do", "copy"}, {"text", "two"}}, std::nullopt, true), 2);
    settle();
    EXPECT_EQ(answer(overlay(), 1), refusal("that offer has gone"));
    EXPECT_EQ(answer(overlay(), 2), held("two"));
    EXPECT_EQ(Actions::held()->id, "second");
    EXPECT_EQ(Actions::held()->at, sim.now());
    EXPECT_TRUE(Actions::held()->tap);

    invoke(overlay(), "nimbo:offer", offerOf("third", {{"do", "copy"}, {"text", "three"}}), 3);
    webOf(overlay()).postMessage(Json{{"kind", "send"}, {"channel", "nimbo:offer-clear"}});
    settle();
    EXPECT_EQ(answer(overlay(), 3), refusal("that offer has gone"));
    EXPECT_FALSE(Actions::held());
}

}  // namespace
}  // namespace nimbo
