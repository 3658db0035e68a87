#include <gtest/gtest.h>

#include "TwoDisplays.h"
#include "actions/Actions.h"

namespace nimbo {
namespace {

using PressToAskTest = testing::TwoDisplays;
using testing::Channels;

TEST_F(PressToAskTest, HoldListensOnTheDisplayUnderThePointer) {
    hold(0.6);
    EXPECT_EQ(channels(right()), Channels{"nimbo:listen"});
    EXPECT_TRUE(channels(left()).empty());
    ASSERT_TRUE(Actions::lastHold.has_value());
    EXPECT_NEAR(Actions::lastHold->second - Actions::lastHold->first, 0.6, 1e-9);
}

TEST_F(PressToAskTest, SteeringPageIsThePressTargetAndGetsTheSteps) {
    delegate->steerOwners.push_back(delegate->overlays[0]);
    delegate->updateSteering();
    sim.keys.setFlags(kChord);
    sim.keys.keyDown(123);
    sim.keys.keyUp(123);
    sim.runUntilIdle();
    sim.keys.setFlags(0);
    sim.runUntilIdle();
    EXPECT_EQ(channels(left()), (Channels{"nimbo:listen", "nimbo:steer"}));
    // A steered hold asks nothing, and a page that goes away stops steering.
    EXPECT_TRUE(channels(right()).empty());
    delegate->forget(left());
    EXPECT_FALSE(delegate->hotkey.steering);
}

TEST_F(PressToAskTest, TapsConfirmOrPutEverythingAway) {
    // Taps 0.3 s apart: the first is confirmed while the second is held, and
    // the second is a first tap again.
    hold(0.1);
    sim.advance(0.2);
    hold(0.1);
    EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:tap", "nimbo:listen", "nimbo:confirm", "nimbo:tap"}));
    EXPECT_TRUE(delegate->confirmedAt.has_value());
    sim.advance(0.28);
    EXPECT_EQ(channels(right()), Channels{"nimbo:confirm"});

    // Taps 0.25 s apart put everything away, the held offer included.
    const auto generation = Actions::generation();
    hold(0.1);
    sim.advance(0.15);
    hold(0.1);
    sim.advance(1.0);
    EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:tap", "nimbo:listen", "nimbo:cancel"}));
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: double tap — everything put away"});
    EXPECT_EQ(Actions::generation(), generation + 1);
}

TEST_F(PressToAskTest, AHoldIsFourTenthsOfASecondOrMore) {
    delegate->hotkey.onPress();
    delegate->hotkey.onRelease(0.39, sim.now(), false);
    EXPECT_TRUE(sim.capturer.requests.empty());
    sim.advance(1.0);
    delegate->hotkey.onPress();
    delegate->hotkey.onRelease(0.4, sim.now(), false);
    EXPECT_EQ(sim.capturer.requests.size(), 1u);
    settle();
    EXPECT_EQ(channels(right()),
              (Channels{"nimbo:listen", "nimbo:tap", "nimbo:confirm", "nimbo:listen", "nimbo:pointed", "nimbo:document",
                        "nimbo:pointed", "nimbo:document", "nimbo:captured", "nimbo:elements"}));
}

TEST_F(PressToAskTest, ClicksElsewhereReachEveryPageButNotTheShellsOwn) {
    sim.mice.clickElsewhere();
    EXPECT_EQ(channels(left()), Channels{"nimbo:clicked"});
    EXPECT_EQ(channels(right()), Channels{"nimbo:clicked"});

    Actions::lastOwnClick = sim.now();
    sim.advance(1.0);
    sim.mice.clickElsewhere();
    EXPECT_TRUE(channels(right()).empty());
    sim.advance(0.01);
    sim.mice.clickElsewhere();
    EXPECT_EQ(channels(right()), Channels{"nimbo:clicked"});

    // In the shell's own windows only the control center counts.
    delegate->openControl();
    auto controlWindow = sim.controlWindowMaker.made.back()->window;
    sim.mice.clickIn(sim.pageWindows.made[0]);
    EXPECT_TRUE(channels(right()).empty());
    sim.mice.clickIn(controlWindow);
    EXPECT_EQ(channels(right()), Channels{"nimbo:clicked"});
}

TEST_F(PressToAskTest, HoldSettlesAPendingTapThoughItsTimerIsLate) {
    // A busy main thread: the keys of a tap and of the hold after it are handled
    // together, later than the tap's own wait would have ended.
    const double start = sim.now();
    for (auto [at, flags] : {std::pair{0.0, kChord}, {0.1, 0}, {0.15, kChord}, {0.7, 0}}) {
        sim.clockImpl.setNow(start + at);
        sim.keys.setFlags(flags);
    }
    sim.runUntilIdle();
    EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:tap", "nimbo:listen", "nimbo:confirm"}));
    EXPECT_EQ(sim.capturer.requests.size(), 1u);
    // Settled, so the next tap is a first one and the late timer says nothing.
    hold(0.1);
    sim.advance(1.0);
    EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:tap", "nimbo:confirm"}));
}

TEST_F(PressToAskTest, TypingDuringTheHoldCancelsOnThePressTarget) {
    sim.keys.setFlags(kChord);
    sim.runUntilIdle();
    sim.displays.mouse = {100, 100};  // the pointer wanders to the other display
    sim.keys.keyDown(0);
    sim.runUntilIdle();
    EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:cancel"}));
    EXPECT_TRUE(channels(left()).empty());
}

}  // namespace
}  // namespace nimbo
