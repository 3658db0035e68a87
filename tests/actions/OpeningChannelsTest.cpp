#include <gtest/gtest.h>

#include "actions/OverlayPages.h"

namespace nimbo {
namespace {

using testing::Events;

class OpeningChannelsTest : public testing::OverlayPages {
protected:
    // Where the control center was sent, past its home page; empty before it exists.
    std::vector<std::string> visited() {
        std::vector<std::string> urls;
        if (sim.controlWindowMaker.made.empty()) return urls;
        for (const auto& [url, timeout] : controlWeb().loads) urls.push_back(url);
        urls.erase(urls.begin());
        return urls;
    }
    sim::SimWebView& controlWeb() { return sim.controlWindowMaker.made.back()->webView(); }
};

TEST_F(OpeningChannelsTest, PagesOpenOnlyTheServersOwnPagesByPlainPaths) {
    const std::string longest = "/board/" + std::string(592, 'a');
    for (const auto& [channel, path] : std::vector<std::pair<std::string, Json>>{
             {"nimbo:open-nimbo", "/settings"},
             {"nimbo:open-nimbo", "/boards x"},
             {"nimbo:open-nimbo", "/boards?<script>"},
             {"nimbo:open-nimbo", "/boardsy"},
             {"nimbo:open-nimbo", "/learn\n/x"},
             {"nimbo:open-nimbo", longest + "a"},
             {"nimbo:open-nimbo", Json{{"path", "/boards"}}},
             {"nimbo:open-learn", "/boards"},
             {"nimbo:open-learn", "/learn#top"},
         }) {
        send(channel, path);
    }
    EXPECT_TRUE(sim.controlWindowMaker.made.empty());

    send("nimbo:open-nimbo", "/boards?x=1");
    send("nimbo:open-nimbo", longest);
    send("nimbo:open-learn", "/learning/fractions?step=2");
    EXPECT_EQ(visited(), (std::vector<std::string>{"http://127.0.0.1:3005/control#/boards?x=1",
                                                   "http://127.0.0.1:3005/control#" + longest,
                                                   "http://127.0.0.1:3005/control#/learning/fractions?step=2"}));
    EXPECT_TRUE(sim.controlWindowMaker.made.back()->isVisible());
}

TEST_F(OpeningChannelsTest, TypingAndBoardsWaitForAControlCenterThatIsNotThereYet) {
    send("nimbo:open-board", Json{{"board", "fractions"}});
    send("nimbo:open-board", "fractions");
    EXPECT_TRUE(sim.controlWindowMaker.made.empty());

    send("nimbo:type-instead");
    EXPECT_TRUE(delegate->pendingTypeAsk);
    ASSERT_EQ(sim.controlWindowMaker.made.size(), 1u);
    delegate->control->hide();
    send("nimbo:open-board", Json{{"text", "fractions"}});
    EXPECT_EQ(controlWeb().emitted(), (Events{{"nimbo:teach", {{"text", "fractions"}}}}));
    EXPECT_TRUE(sim.controlWindowMaker.made.back()->isVisible());
    send("nimbo:type-instead");
    EXPECT_EQ(controlWeb().emitted().back(), (std::pair<std::string, Json>{"nimbo:type-ask", nullptr}));

    delegate->control = nullptr;
    send("nimbo:open-board", Json{{"text", "decimals"}});
    EXPECT_EQ(delegate->pendingBoard, (Json{{"text", "decimals"}}));
    EXPECT_EQ(sim.controlWindowMaker.made.size(), 2u);
}

}  // namespace
}  // namespace nimbo
