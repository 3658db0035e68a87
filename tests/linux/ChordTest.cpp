// The chord recogniser on a real X server: Super+Alt typed through XTest as a
// user would, heard by the listen tap, with the steering arrows taken by the
// passive grab or handed on to the focused window.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

#include "HeldChord.h"

namespace nimbo::test {
namespace {

constexpr int kA = 0, kV = 9;
constexpr std::uint64_t kControl = 0x40000;

class Chord : public HeldChord {
protected:
    void holdChord(KeySym first = XK_Super_L, KeySym second = XK_Alt_L) {
        keyboard_.press(first);
        keyboard_.press(second);
        ASSERT_TRUE(waitUntil([&] { return !heard_.empty(); })) << "no press";
    }
    void releaseChord(KeySym first = XK_Super_L, KeySym second = XK_Alt_L) {
        keyboard_.release(second);
        keyboard_.release(first);
    }

    std::size_t windowGot(const std::vector<KeyCode>& codes, KeySym symbol) const {
        return static_cast<std::size_t>(std::count(codes.begin(), codes.end(), keyboard_.code(symbol)));
    }
    // Waits until the focused window has seen `symbol` come up `times` times,
    // so everything typed before it has been through the server.
    bool windowReleased(KeySym symbol, std::size_t times) {
        return waitUntil([&] { return windowGot(keyboard_.windowReleases(), symbol) >= times; });
    }
};

TEST_F(Chord, AHoldInEitherOrderIsOnePressAndOneReleaseWithItsLength) {
    for (const auto& [first, second] : {std::pair<KeySym, KeySym>{XK_Super_L, XK_Alt_L}, {XK_Alt_L, XK_Super_L}}) {
        heard_.clear();
        const double pressedAround = desktop().clock().now();
        keyboard_.chord({first, second}, 0.6);
        EXPECT_EQ(heard(2), (std::vector<std::string>{"press", "release"})) << "first key " << first;
        EXPECT_NEAR(held_, 0.6, 0.1) << "first key " << first;
        EXPECT_NEAR(began_, pressedAround, 0.1) << "first key " << first;
    }
}

TEST_F(Chord, KeysTheShellPostsDuringAHoldDoNotCancelIt) {
    keyboard_.focusWindow();
    holdChord();
    auto& taps = desktop().keyTaps();
    taps.postKey(kA, true, 0, Hotkey::kMarker);
    taps.postKey(kA, false, 0, Hotkey::kMarker);
    // Control is pressed for the key alone; its change must not count as the user's.
    taps.postKey(kV, true, kControl, Hotkey::kMarker);
    taps.postKey(kV, false, kControl, Hotkey::kMarker);
    ASSERT_TRUE(windowReleased(XK_v, 1)) << "the posted keys never arrived";
    EXPECT_EQ(windowGot(keyboard_.windowPresses(), XK_a), 1U);
    releaseChord();
    EXPECT_EQ(heard(2), (std::vector<std::string>{"press", "release"}));
}

TEST_F(Chord, WhileSteeringTheArrowStepsAndIsKeptFromTheWindow) {
    keyboard_.focusWindow();
    hotkey_.setSteering(true);
    holdChord();
    keyboard_.tap(XK_Right);
    keyboard_.tap(XK_Left);
    releaseChord();
    ASSERT_TRUE(windowReleased(XK_Super_L, 1));
    EXPECT_EQ(heard(4), (std::vector<std::string>{"press", "steer 1", "steer -1", "release steered"}));
    EXPECT_EQ(windowGot(keyboard_.windowPresses(), XK_Right), 0U);
    EXPECT_EQ(windowGot(keyboard_.windowPresses(), XK_Left), 0U);

    // Steering off again: the arrow is just a key, which reaches the window
    // and cancels the hold.
    heard_.clear();
    hotkey_.setSteering(false);
    holdChord();
    keyboard_.tap(XK_Right);
    releaseChord();
    ASSERT_TRUE(windowReleased(XK_Super_L, 2));
    EXPECT_EQ(heard(2), (std::vector<std::string>{"press", "cancel"}));
    EXPECT_EQ(windowGot(keyboard_.windowPresses(), XK_Right), 1U);

    // Steering again, with Caps Lock on: the arrows are taken once more.
    heard_.clear();
    keyboard_.tap(XK_Caps_Lock);
    hotkey_.setSteering(true);
    holdChord();
    keyboard_.tap(XK_Left);
    releaseChord();
    keyboard_.tap(XK_Caps_Lock);
    ASSERT_TRUE(windowReleased(XK_Caps_Lock, 2));
    EXPECT_EQ(heard(3), (std::vector<std::string>{"press", "steer -1", "release steered"}));
    EXPECT_EQ(windowGot(keyboard_.windowPresses(), XK_Left), 0U);
}

TEST_F(Chord, WithTheArrowsHeldElsewhereSteeringStillSteps) {
    Display* display = keyboard_.display();
    XGrabKey(display, keyboard_.code(XK_Right), Mod4Mask | Mod1Mask, DefaultRootWindow(display), False, GrabModeAsync,
             GrabModeAsync);
    XSync(display, False);
    hotkey_.setSteering(true);
    holdChord();
    keyboard_.tap(XK_Right);
    releaseChord();
    EXPECT_EQ(heard(3), (std::vector<std::string>{"press", "steer 1", "release steered"}));
    XUngrabKey(display, keyboard_.code(XK_Right), AnyModifier, DefaultRootWindow(display));
    XSync(display, False);
}

}  // namespace
}  // namespace nimbo::test
