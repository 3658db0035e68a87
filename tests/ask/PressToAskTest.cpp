#include <gtest/gtest.h>

#include "actions/Actions.h"
#include "support/ShellFixture.h"

namespace nimbo {
namespace {

constexpr std::uint64_t kChord = 0x180000;

// Two displays side by side, the pointer on the right one; the chord is
// played on the simulated keyboard and the pages' events are read back.
class PressToAskTest : public testing::ShellFixture {
protected:
    void SetUp() override {
        sim.displays.list = {display(1, {{0, 0}, {1920, 1080}}), display(2, {{1920, 0}, {1280, 1024}})};
        sim.displays.mouse = {2500, 500};
        sim.capturer.displays = {{1, {{0, 0}, {1920, 1080}}}, {2, {{1920, 56}, {1280, 1024}}}};
        Actions::lastHold.reset();
        launch();
        ASSERT_EQ(delegate->overlays.size(), 2u);
        sim.advance(3.0);  // the frame sends are done
        for (const auto& overlay : delegate->overlays) webOf(*overlay).calls.clear();
    }

    void hold(double seconds) {
        sim.keys.setFlags(kChord);
        sim.runUntilIdle();
        sim.advance(seconds);
        sim.keys.setFlags(0);
        sim.runUntilIdle();
    }
    std::vector<std::string> channels(Overlay& overlay) {
        std::vector<std::string> out;
        for (const auto& [channel, payload] : webOf(overlay).emitted()) out.push_back(channel);
        webOf(overlay).calls.clear();
        return out;
    }
    Overlay& left() { return *delegate->overlays[0]; }
    Overlay& right() { return *delegate->overlays[1]; }
};

using Channels = std::vector<std::string>;

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
    hold(0.1);
    EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:tap"}));
    sim.advance(0.28);
    EXPECT_EQ(channels(right()), Channels{"nimbo:confirm"});
    EXPECT_TRUE(delegate->confirmedAt.has_value());

    sim.output.lines.clear();
    hold(0.1);
    sim.advance(0.1);
    hold(0.1);
    sim.advance(1.0);
    EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:tap", "nimbo:listen", "nimbo:cancel"}));
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: double tap — everything put away"});
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
