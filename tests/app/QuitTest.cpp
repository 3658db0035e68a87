#include <gtest/gtest.h>

#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class QuitTest : public testing::ShellFixture {};

TEST_F(QuitTest, ReplyComesOnceTheWorkIsDoneAndTheFallbackStaysQuiet) {
    launch();
    Session::host = "127.0.0.1";
    EXPECT_EQ(delegate->applicationShouldTerminate(), platform::TerminateReply::later);
    sim.app.requestTerminate();  // the platform's own request while one is under way
    sim.runUntilIdle();
    EXPECT_EQ(sim.app.terminateReplies, std::vector<bool>{true});
    EXPECT_FALSE(delegate->quitPending);

    sim.advance(10.0);
    EXPECT_EQ(sim.app.terminateReplies.size(), 1u);
}

// Nothing answers the cookie save, so only the fallback replies: 1.5 s after the
// request, 6.0 s while a meeting is recorded. A second request meanwhile is
// absorbed and leaves no timer behind to answer the next quit early.
class QuitFallbackTest : public testing::ShellFixture, public ::testing::WithParamInterface<std::pair<bool, double>> {};

TEST_P(QuitFallbackTest, StuckWorkFallsBackOnceAfterItsDelay) {
    const auto [recording, delay] = GetParam();
    launch();
    Session::host = "127.0.0.1";
    sim.cookieStore.answers = false;
    if (recording) MeetingRecorder::shared().meetingId = "standup";
    for (size_t quit = 1; quit <= 2; ++quit) {
        sim.app.requestTerminate();
        sim.advance(1.0);
        sim.app.requestTerminate();
        sim.advance(delay - 1.01);
        EXPECT_EQ(sim.app.terminateReplies.size(), quit - 1) << "quit " << quit;
        sim.advance(0.02);
        EXPECT_EQ(sim.app.terminateReplies.size(), quit) << "quit " << quit;
    }
    sim.advance(60.0);
    EXPECT_EQ(sim.app.terminateReplies, (std::vector<bool>{true, true}));
}

INSTANTIATE_TEST_SUITE_P(MeetingOrNot, QuitFallbackTest,
                         ::testing::Values(std::pair{false, 1.5}, std::pair{true, 6.0}));

TEST_F(QuitTest, MeetingIsStoppedBeforeTheReplyAndTheStopIsBroadcast) {
    launch();
    auto overlay = addOverlay();
    MeetingRecorder::shared().meetingId = "standup";
    sim.app.requestTerminate();
    sim.runUntilIdle();
    EXPECT_FALSE(MeetingRecorder::shared().meetingId);
    EXPECT_EQ(sim.app.terminateReplies, std::vector<bool>{true});
    auto events = webOf(*overlay).emitted();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].first, "nimbo:meeting");
    EXPECT_EQ(events[0].second.at("recording"), false);
    EXPECT_FALSE(delegate->statusMenu->recordingMeeting());
}

TEST_F(QuitTest, WillTerminateLeavesNoOverlayHoldingMouseOrKeyboard) {
    launch();
    auto overlay = addOverlay();
    auto& window = windowOf(*overlay);
    window.setIgnoresMouse(false);
    window.makeKey();
    delegate->hoverTimer = sim.mainQueue.every(0.06, [] {});
    sim.app.requestTerminate();
    sim.runUntilIdle();
    EXPECT_TRUE(sim.app.terminated);
    EXPECT_TRUE(window.ignoresMouse());
    EXPECT_FALSE(window.isKey());
    EXPECT_TRUE(delegate->hoverTimer->isCancelled());
}

TEST_F(QuitTest, DelegateGoneBeforeTheFallbackReplyDoesNothing) {
    launch();
    Session::host = "127.0.0.1";
    sim.cookieStore.answers = false;
    sim.app.requestTerminate();
    sim.app.setDelegate(nullptr);
    delegate.reset();
    sim.advance(2.0);
    EXPECT_TRUE(sim.app.terminateReplies.empty());
}

}  // namespace
}  // namespace nimbo
