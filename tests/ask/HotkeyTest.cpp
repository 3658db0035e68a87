#include "ask/Hotkey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"

namespace nimbo {
namespace {

constexpr std::uint64_t kCommand = 0x100000;
constexpr std::uint64_t kOption = 0x80000;
constexpr std::uint64_t kShift = 0x20000;
constexpr std::uint64_t kControl = 0x40000;
constexpr std::uint64_t kCapsLock = 0x10000;
constexpr std::uint64_t kChord = kCommand | kOption;

// A started tap on the simulated session, its callbacks written down in order.
class HotkeyTest : public ::testing::Test {
protected:
    HotkeyTest() {
        hotkey.onPress = [this] { seen.push_back("press"); };
        hotkey.onCancel = [this] { seen.push_back("cancel"); };
        hotkey.onRelease = [this](double held, double began, bool steered) {
            seen.push_back("release");
            lastHeld = held;
            lastBegan = began;
            lastSteered = steered;
        };
        hotkey.onSteer = [this](int step) { seen.push_back(step < 0 ? "steer -1" : "steer +1"); };
        hotkey.onDeaf = [this] { seen.push_back("deaf"); };
    }

    void start() {
        ASSERT_TRUE(hotkey.start());
        sim.output.lines.clear();
    }
    // Flags as the session reports them, then the queued callbacks run.
    void flags(std::uint64_t now) {
        sim.keys.setFlags(now);
        sim.runUntilIdle();
    }
    void key(int code, bool autoRepeat = false, std::int64_t userData = 0) {
        sim.keys.keyDown(code, autoRepeat, userData);
        sim.keys.keyUp(code, userData);
        sim.runUntilIdle();
    }
    sim::SimKeyTap& listenTap() { return *sim.keys.taps.front(); }
    std::vector<std::string> take() { return std::exchange(seen, {}); }

    sim::SimPlatform sim;
    Hotkey hotkey{sim};
    std::vector<std::string> seen;
    double lastHeld = -1;
    double lastBegan = -1;
    bool lastSteered = false;
};

using Seen = std::vector<std::string>;

TEST_F(HotkeyTest, HoldIsOnePressAndOneReleaseWhicheverKeyComesFirst) {
    start();
    for (std::uint64_t first : {kCommand, kOption}) {
        flags(first);
        flags(kChord);
        const double began = sim.now();
        sim.advance(0.6);
        flags(first);  // letting go of either key ends the hold
        flags(0);
        EXPECT_EQ(take(), (Seen{"press", "release"}));
        EXPECT_DOUBLE_EQ(lastHeld, 0.6);
        EXPECT_DOUBLE_EQ(lastBegan, began);
        EXPECT_FALSE(lastSteered);
    }
    // Caps Lock and the like don't spoil the chord.
    flags(kChord | kCapsLock);
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "release"}));
}

TEST_F(HotkeyTest, ExtraModifierSpoilsTheChordUntilBothKeysAreUp) {
    start();
    flags(kChord | kShift);
    flags(kChord);    // Shift let go, Command and Option still held
    flags(kCommand);  // Option up and down again while Command stays held
    flags(kChord);
    EXPECT_TRUE(take().empty());
    flags(0);
    flags(kChord);
    EXPECT_EQ(take(), Seen{"press"});
    // Control joining a hold cancels it; the release then reports nothing.
    flags(kChord | kControl);
    flags(0);
    EXPECT_EQ(take(), Seen{"cancel"});
}

TEST_F(HotkeyTest, TypingDuringAHoldCancelsButTheShellsOwnKeysDoNot) {
    start();
    flags(kChord);
    key(9, false, Hotkey::kMarker);  // the shell pasting for the user
    key(0);                          // the user typing "a"
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "cancel"}));
    // An arrow while not steering is just another key.
    flags(kChord);
    key(124);
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "cancel"}));
}

TEST_F(HotkeyTest, SteeringTapStepsOncePerPressAndSwallowsTheArrows) {
    start();
    hotkey.setSteering(true);
    flags(kChord);
    sim.keys.keyDown(124);
    sim.keys.keyDown(124, true);
    sim.keys.keyDown(124, true);
    sim.keys.keyUp(124);
    key(123);
    sim.runUntilIdle();
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "steer +1", "steer -1", "release"}));
    EXPECT_TRUE(lastSteered);
    // None of the chord's arrows reached the application in front.
    for (const auto& event : sim.keys.delivered) EXPECT_NE(event.type, 10u) << event.keyCode;
    // Without the chord the arrows are the user's.
    sim.keys.delivered.clear();
    key(124);
    EXPECT_EQ(sim.keys.delivered.size(), 2u);
    EXPECT_TRUE(take().empty());

    hotkey.setSteering(false);
    flags(kChord);
    key(124);
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "cancel"}));
}

TEST_F(HotkeyTest, RefusedSteeringTapSteersThroughTheListeningTap) {
    start();
    sim.keys.refuseIntercept = true;
    hotkey.setSteering(true);
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: could not take ⌘⌥ ← → for the teleprompter — "
                                                         "they will reach the app in front as well"});
    flags(kChord);
    sim.keys.delivered.clear();
    sim.keys.keyDown(124);
    sim.keys.keyDown(124, true);
    sim.keys.keyUp(124);
    sim.runUntilIdle();
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "steer +1", "release"}));
    // The arrow also reaches the front application.
    ASSERT_FALSE(sim.keys.delivered.empty());
    EXPECT_EQ(sim.keys.delivered.front().keyCode, 124);
}

TEST_F(HotkeyTest, InterruptionsCancelAHoldExactlyOnce) {
    start();
    flags(kChord);
    sim.keys.interruptSession();  // the lock screen
    sim.keys.interruptSession();
    sim.runUntilIdle();
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "cancel"}));

    // The system switching the tap off cancels too, and the tap comes straight back.
    flags(kChord);
    sim.keys.switchOff(listenTap(), 0xFFFFFFFE);
    sim.runUntilIdle();
    EXPECT_TRUE(listenTap().isEnabled());
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: macOS switched the key tap off (timeout) — back on"});
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "cancel"}));

    // A restart forgets the hold without a word.
    flags(kChord);
    EXPECT_TRUE(hotkey.restart());
    flags(0);
    EXPECT_EQ(take(), Seen{"press"});
}

TEST_F(HotkeyTest, WatchdogLogsEachOutageOnceAndTellsDeafnessOnce) {
    start();
    listenTap().refusesEnable = true;
    listenTap().enabled = false;
    sim.keys.secureInput = true;  // a password field holding the keys is not deafness
    sim.advance(2.0);
    EXPECT_FALSE(hotkey.deaf);
    sim.keys.secureInput = false;
    sim.advance(2.0);
    EXPECT_TRUE(hotkey.deaf);
    EXPECT_FALSE(hotkey.steadyListening());
    EXPECT_EQ(take(), Seen{"deaf"});
    EXPECT_EQ(sim.output.lines,
              std::vector<std::string>{
                  "nimbo: the key tap is off — and will not switch on (Input Monitoring missing for this build?)"});

    sim.output.lines.clear();
    listenTap().refusesEnable = false;
    sim.advance(1.0);  // switched back on
    sim.advance(1.0);  // found working
    EXPECT_FALSE(hotkey.deaf);
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: the key tap is listening again"});
    sim.advance(2.5);
    EXPECT_FALSE(hotkey.steadyListening());
    sim.advance(0.1);
    EXPECT_TRUE(hotkey.steadyListening());
}

TEST_F(HotkeyTest, WatchdogRevivesTheTapAndCancelsTheHold) {
    start();
    flags(kChord);
    listenTap().enabled = false;  // switched off without a notice
    sim.advance(1.0);
    EXPECT_TRUE(listenTap().isEnabled());
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: the key tap is off — switched back on"});
    flags(0);
    EXPECT_EQ(take(), (Seen{"press", "cancel"}));
    EXPECT_FALSE(hotkey.deaf);
}

TEST_F(HotkeyTest, NoPermissionMeansNoTap) {
    sim.keys.refuseListen = true;
    EXPECT_FALSE(hotkey.start());
    EXPECT_FALSE(hotkey.steadyListening());
    sim.advance(5.0);
    EXPECT_TRUE(sim.output.lines.empty());
}

}  // namespace
}  // namespace nimbo
