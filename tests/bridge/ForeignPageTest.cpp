// A page of another origin in a shell window, however it got there, is a
// stranger: nothing it posts reaches a dispatcher.
#include <gtest/gtest.h>

#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class ForeignPageTest : public testing::ShellFixture {
protected:
    ForeignPageTest() {
        launch();
        overlay = makeOverlay();
    }
    void say(const std::string& text) {
        webOf(*overlay).postMessage(Json{{"kind", "send"}, {"channel", "nimbo:log"}, {"payload", text}});
    }
    void ask(long long id) {
        webOf(*overlay).postMessage(Json{{"kind", "invoke"}, {"channel", "nimbo:frame-now"}, {"id", id}});
    }
    std::vector<std::string> linesSince(size_t from) const {
        return {sim.output.lines.begin() + static_cast<long>(from), sim.output.lines.end()};
    }

    std::shared_ptr<Overlay> overlay;
};

TEST_F(ForeignPageTest, IsNeverHeardAndIsLoggedOncePerDocument) {
    auto& web = webOf(*overlay);
    const size_t before = sim.output.lines.size();
    say("home");
    EXPECT_EQ(linesSince(before), std::vector<std::string>{"nimbo: [page] home"});

    // Redirected, navigated, or sent to the same host on another port: all strangers.
    for (const std::string address : {"http://evil.example/spatial/overlay", "https://127.0.0.1:3005/spatial/overlay",
                                      "http://127.0.0.1:3006/spatial/overlay", "about:blank"}) {
        web.navigated(address);
        const size_t from = sim.output.lines.size();
        const size_t answers = web.resolved().size();
        say("forged");
        say("forged again");
        ask(7);
        EXPECT_EQ(web.resolved().size(), answers) << address << ": an invoke of a stranger is not answered";
        const std::string origin = address == "about:blank" ? "null" : address.substr(0, address.find("/spatial"));
        EXPECT_EQ(linesSince(from), std::vector<std::string>{"nimbo: a page from " + origin +
                                                             " has no bridge — its messages are dropped"})
            << address;
    }

    // Back home (the default port written out is the same origin), it is heard again.
    web.navigated("http://127.0.0.1:3005/spatial/overlay?display=1");
    const size_t from = sim.output.lines.size();
    say("back");
    ask(8);
    EXPECT_EQ(linesSince(from), std::vector<std::string>{"nimbo: [page] back"});
    ASSERT_FALSE(web.resolved().empty());
    EXPECT_EQ(web.resolved().back().first, 8);
}

}  // namespace
}  // namespace nimbo
