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

TEST_F(QuitTest, TwoRequestsInQuickSuccessionReplyOnce) {
    launch();
    sim.app.requestTerminate();
    sim.app.requestTerminate();
    sim.advance(0.01);
    sim.app.requestTerminate();  // after the reply: a new quit, answered again
    sim.advance(5.0);
    EXPECT_EQ(sim.app.terminateReplies, (std::vector<bool>{true, true}));
    EXPECT_TRUE(sim.app.terminated);
}

TEST_F(QuitTest, StuckCookieSaveFallsBackAfterOneAndAHalfSeconds) {
    launch();
    Session::host = "127.0.0.1";
    sim.cookieStore.answers = false;
    sim.app.requestTerminate();
    sim.advance(1.49);
    EXPECT_TRUE(sim.app.terminateReplies.empty());
    sim.advance(0.02);
    EXPECT_EQ(sim.app.terminateReplies, std::vector<bool>{true});
    sim.advance(60.0);
    EXPECT_EQ(sim.app.terminateReplies.size(), 1u);
}

TEST_F(QuitTest, RecordingMeetingWaitsSixSecondsBeforeFallingBack) {
    launch();
    Session::host = "127.0.0.1";
    sim.cookieStore.answers = false;
    MeetingRecorder::shared().meetingId = "standup";
    sim.app.requestTerminate();
    sim.advance(5.99);
    EXPECT_TRUE(sim.app.terminateReplies.empty());
    sim.advance(0.02);
    EXPECT_EQ(sim.app.terminateReplies, std::vector<bool>{true});
}

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
    EXPECT_FALSE(delegate->statusMenu->recordingMeeting);
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
