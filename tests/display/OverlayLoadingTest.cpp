#include <gtest/gtest.h>

#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class OverlayLoadingTest : public testing::ShellFixture {
protected:
    OverlayLoadingTest() : overlay(makeOverlay()), web(webOf(*overlay)) {}
    static std::string retryLine(int seconds) {
        return "nimbo: an overlay page did not load (Could not connect to the server.) — trying again in " +
               std::to_string(seconds) + "s";
    }
    // Fails the current load and checks the reload comes exactly `seconds` later.
    void failAndWait(int seconds) {
        size_t loads = web.loads.size();
        web.fail(-1004);
        sim.advance(seconds - 0.01);
        ASSERT_EQ(web.loads.size(), loads) << "reloaded early";
        sim.advance(0.01);
        ASSERT_EQ(web.loads.size(), loads + 1);
        EXPECT_EQ(sim.output.lines.back(), retryLine(seconds));
    }

    std::shared_ptr<Overlay> overlay;
    sim::SimWebView& web;
};

TEST_F(OverlayLoadingTest, FailuresBackOffToThirtySecondsAndResetOnceALoadFinishes) {
    for (int seconds : {2, 4, 8, 16, 30, 30}) failAndWait(seconds);
    web.finish();
    failAndWait(2);
}

TEST_F(OverlayLoadingTest, OneReloadPendingAtMostAndCancelledLoadsIgnored) {
    web.fail(-999, "cancelled");
    EXPECT_TRUE(sim.output.lines.empty());
    web.fail(-1004);
    web.fail(-1001, "The request timed out.");
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{retryLine(2)}) << "the second failure writes nothing";
    EXPECT_EQ(sim.mainQueue.pendingCount(), 1u);
    // -999 of another engine's domain is a real failure.
    sim.advance(2.0);
    web.events.failed(platform::NavigationError{"WebKitErrorDomain", -999, "Frame load interrupted"});
    EXPECT_EQ(sim.output.lines.back(),
              "nimbo: an overlay page did not load (Frame load interrupted) — trying again in 4s");
}

TEST_F(OverlayLoadingTest, ErrorAnswersAreRefusedAndTheOverlayStaysClickThrough) {
    EXPECT_TRUE(web.respond(399));
    EXPECT_FALSE(web.respond(404));
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: an overlay page came back 404 — not shown"});
    EXPECT_TRUE(windowOf(*overlay).ignoresMouse());
}

TEST_F(OverlayLoadingTest, DeadRendererGivesTheMouseBackBeforeAnyoneIsToldAndReloads) {
    bool clickThroughWhenTold = false;
    overlay->onRendererDied = [&](Overlay& dead) { clickThroughWhenTold = windowOf(dead).ignoresMouse(); };
    overlay->setInteractive(true);
    web.killRenderer();
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: an overlay renderer died — handing back its "
                                                         "click-through and reloading"});
    EXPECT_TRUE(clickThroughWhenTold);
    EXPECT_EQ(web.reloads, 1);
    EXPECT_EQ(sim.pageWindows.arrowCursorSets, 1);
}

}  // namespace
}  // namespace nimbo
