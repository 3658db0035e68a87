// Two real overlays whose pages talk to the shell for a minute while their
// heaps churn: the collector drops and rebuilds every script wrapper many
// times over, and still every message is heard and every invoke answered once.
#include <gtest/gtest.h>

#include <map>

#include "Desktop.h"
#include "PageServer.h"
#include "bridge/Bridge.h"
#include "display/Overlay.h"

namespace nimbo::test {
namespace {

// Logs "tick N", asks frameNow() (the shell answers with the last tick it
// heard), churns the heap, and at the end logs what it sent and got back.
constexpr const char* kTalkingPage = R"HTML(<!doctype html><html><body><script>
const seconds = Number(new URLSearchParams(location.search).get("seconds"));
const kept = [];
let sent = 0, answered = 0, wrong = 0;
function churn() {
  for (let i = 0; i < 20000; i++) kept[i % 64] = { i, text: "x" + i, list: [i, i] };
  let junk = [];
  for (let i = 0; i < 4000; i++) junk.push(new Array(16).fill(i));
  junk = null;
}
const started = Date.now();
(async () => {
  while (Date.now() - started < seconds * 1000) {
    sent += 1;
    nimboDesktop.log("tick " + sent);
    const answer = await nimboDesktop.frameNow();
    if (answer && answer.tick === sent) answered += 1; else wrong += 1;
    churn();
    await new Promise((resolve) => setTimeout(resolve, 15));
  }
  nimboDesktop.log("done " + sent + " " + answered + " " + wrong);
})();
</script></body></html>)HTML";

struct Heard {
    std::vector<long long> ticks;
    std::map<long long, int> answersById;
    std::string done;
};

TEST(BridgeSoak, TwoPagesAreHeardForAMinuteUnderHeapChurn) {
    PageServer server([](const std::string&, const std::string&) { return PageServer::Answer{200, kTalkingPage}; });
    const auto screen = desktop().screens().mainScreen();
    ASSERT_TRUE(screen);

    std::map<const Overlay*, Heard> heard;
    auto onMessage = [&heard](Overlay& overlay, const BridgeMessage& message) {
        Heard& page = heard[&overlay];
        if (message.channel == "nimbo:log" && message.payload && message.payload->is_string()) {
            const std::string text = message.payload->get<std::string>();
            if (text.rfind("tick ", 0) == 0) page.ticks.push_back(std::stoll(text.substr(5)));
            if (text.rfind("done ", 0) == 0) page.done = text;
        } else if (message.channel == "nimbo:frame-now" && message.id) {
            page.answersById[*message.id] += 1;
            Bridge::resolve(overlay.web(), *message.id, Json{{"tick", page.ticks.empty() ? 0 : page.ticks.back()}});
        }
    };
    const std::string url = server.url("/talk?seconds=60");
    auto left = Overlay::make(desktop(), *screen, url, Rect{{0, 0}, {400, 300}}, onMessage);
    auto right = Overlay::make(desktop(), *screen, url, Rect{{400, 0}, {400, 300}}, onMessage);

    const bool finished =
        waitUntil([&] { return !heard[left.get()].done.empty() && !heard[right.get()].done.empty(); }, 110.0);
    left->tearDown();
    right->tearDown();
    ASSERT_TRUE(finished) << "left heard " << heard[left.get()].ticks.size() << " ticks, right "
                          << heard[right.get()].ticks.size();

    for (const auto* overlay : {left.get(), right.get()}) {
        const Heard& page = heard[overlay];
        // "done SENT ANSWERED WRONG", as the page counted.
        long long sent = 0, answered = 0, wrong = 0;
        ASSERT_EQ(std::sscanf(page.done.c_str(), "done %lld %lld %lld", &sent, &answered, &wrong), 3) << page.done;
        EXPECT_GT(sent, 500) << "a minute of talk";
        EXPECT_EQ(answered, sent) << "every invoke answered with what the shell had heard";
        EXPECT_EQ(wrong, 0);
        ASSERT_EQ(page.ticks.size(), static_cast<size_t>(sent)) << "every message heard";
        for (long long i = 0; i < sent; ++i) ASSERT_EQ(page.ticks[static_cast<size_t>(i)], i + 1);
        ASSERT_EQ(page.answersById.size(), static_cast<size_t>(sent));
        for (const auto& [id, count] : page.answersById) EXPECT_EQ(count, 1) << "invoke " << id;
    }
}

}  // namespace
}  // namespace nimbo::test
