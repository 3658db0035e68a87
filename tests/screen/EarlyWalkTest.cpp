#include <gtest/gtest.h>

#include "screen/ScreenDesktop.h"

namespace nimbo {
namespace {

// One application window with `buttons` controls; `cost` is what walking the
// display once asks of the accessibility trees.
class EarlyWalkTest : public testing::ScreenDesktop {
protected:
    void open(int buttons) {
        front(7);
        if (!root) root = window(7, {{0, 0}, {800, 600}});
        for (int i = 0; i < buttons; ++i)
            sim.ax.add(root, "AXButton", "B" + std::to_string(i), {{10, 30.0 * i}, {60, 20}});
        int before = sim.ax.requests;
        Elements::walkWindows(kDisplay);
        cost = sim.ax.requests - before;
    }
    // Requests the release's walk made.
    int releaseRequests() {
        int before = sim.ax.requests;
        auto walked = Elements::walkFor(kDisplay);
        EXPECT_FALSE(walked.windows.empty());
        return sim.ax.requests - before;
    }
    sim::SimRef root;
    int cost = 0;
};

TEST_F(EarlyWalkTest, OnlyTheNewestStartMayLeaveAWalkBehind) {
    open(12);
    Elements::prepare(kDisplay);
    Elements::prepare(kDisplay);
    ASSERT_EQ(sim.background.waiting.size(), 2u);
    auto first = std::move(sim.background.waiting.front());
    sim.background.waiting.pop_front();
    first();
    EXPECT_FALSE(Elements::takeEarly(kDisplay).has_value());
    sim.background.drain();
    auto early = Elements::takeEarly(kDisplay);
    ASSERT_TRUE(early.has_value());
    EXPECT_EQ(early->windows[0].nodes.size(), 12u);
    EXPECT_FALSE(Elements::takeEarly(kDisplay).has_value());

    Elements::prepare(kDisplay);
    Elements::discardEarly();
    sim.background.drain();
    EXPECT_FALSE(Elements::takeEarly(kDisplay).has_value());
}

TEST_F(EarlyWalkTest, ReleaseWaitsForTheWalkUnderWayAndUsesIt) {
    open(12);
    Elements::prepare(kDisplay);
    EXPECT_EQ(releaseRequests(), cost);
    EXPECT_TRUE(sim.background.waiting.empty());
    EXPECT_EQ(sim.now(), 0);
}

TEST_F(EarlyWalkTest, ReleaseWalksAgainWhenTheEarlyWalkCannotBeTrusted) {
    open(9);
    Elements::prepare(kDisplay);
    sim.background.drain();
    EXPECT_EQ(releaseRequests(), cost);  // nine controls: the app may have been half built

    open(3);  // now twelve, but another application comes to the front
    Elements::prepare(kDisplay);
    sim.background.drain();
    sim.ax.addApp(8);
    front(8);
    EXPECT_EQ(releaseRequests(), cost);
}

TEST_F(EarlyWalkTest, ReleaseGivesUpOnAStuckEarlyWalkAfterItsWait) {
    open(12);
    sim.background.stalled = true;
    Elements::prepare(kDisplay);
    EXPECT_EQ(releaseRequests(), cost);
    EXPECT_DOUBLE_EQ(sim.now(), 2.5);
}

}  // namespace
}  // namespace nimbo
