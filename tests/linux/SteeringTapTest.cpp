// The active key tap on a real X server: Super+Alt+Left/Right taken through
// passive grabs and kept from the focused window, and refused when another
// client holds the keys. The hotkey only ever answers true for what the grab
// delivers; the chord arrow swallowed and turned into steps is Chord's.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>

#include "Desktop.h"
#include "TestKeyboard.h"

namespace nimbo::test {
namespace {

constexpr std::uint64_t kCommandOption = 0x180000;
constexpr int kLeft = 123, kRight = 124;

class SteeringTap : public ::testing::Test {
protected:
    void SetUp() override { keyboard_.focusWindow(); }

    std::shared_ptr<platform::KeyTap> take(bool answer) {
        return desktop().keyTaps().intercept({kLeft, kRight}, kCommandOption,
                                             [this, answer](const platform::TapEvent& event) {
                                                 seen_.push_back(event);
                                                 return answer;
                                             });
    }

    // Types `keys` as a chord and waits until the window has seen its first
    // key come up, which is the last event of the chord, and the tap its
    // `tapEvents`: the tap reads its own connection through the main loop and
    // may lag behind the window's.
    void type(const std::vector<KeySym>& keys, std::size_t tapEvents = 0) {
        const auto released = count(keyboard_.windowReleases(), keys.front());
        const auto wanted = seen_.size() + tapEvents;
        keyboard_.chord(keys);
        ASSERT_TRUE(waitUntil(
            [&] { return count(keyboard_.windowReleases(), keys.front()) > released && seen_.size() >= wanted; }));
    }

    std::size_t count(const std::vector<KeyCode>& codes, KeySym symbol) const {
        return static_cast<std::size_t>(std::count(codes.begin(), codes.end(), keyboard_.code(symbol)));
    }
    std::size_t rightPresses() { return count(keyboard_.windowPresses(), XK_Right); }

    TestKeyboard keyboard_;
    std::vector<platform::TapEvent> seen_;
};

TEST_F(SteeringTap, CapsLockOnIsStillTheChord) {
    auto tap = take(true);
    ASSERT_NE(tap, nullptr);
    keyboard_.tap(XK_Caps_Lock);
    type({XK_Super_L, XK_Alt_L, XK_Left}, 2);
    keyboard_.tap(XK_Caps_Lock);
    ASSERT_EQ(seen_.size(), 2U);
    EXPECT_EQ(seen_[0].keyCode, kLeft);
    EXPECT_EQ(count(keyboard_.windowPresses(), XK_Left), 0U);
    EXPECT_EQ(count(keyboard_.windowPresses(), XK_Super_L), 1U) << "the modifiers themselves still arrive";
}

TEST_F(SteeringTap, AHeldArrowRepeatsIntoTheTap) {
    auto tap = take(true);
    ASSERT_NE(tap, nullptr);
    keyboard_.press(XK_Super_L);
    keyboard_.press(XK_Alt_L);
    keyboard_.press(XK_Right);
    runFor(1.0);  // past the server's repeat delay
    keyboard_.release(XK_Right);
    keyboard_.release(XK_Alt_L);
    keyboard_.release(XK_Super_L);
    // The window's keys are read straight off the test's connection, the tap's
    // come through the main loop and may lag some repeats behind under load:
    // wait for both to have seen the end.
    ASSERT_TRUE(waitUntil([&] {
        return count(keyboard_.windowReleases(), XK_Super_L) == 1 && !seen_.empty() && seen_.back().type == 11;
    })) << "the tap never saw the arrow come up";
    std::vector<bool> repeats;
    for (const auto& event : seen_)
        if (event.type == 10) repeats.push_back(event.autoRepeat);
    ASSERT_GE(repeats.size(), 2U) << "the server repeated the held key";
    EXPECT_FALSE(repeats.front());
    EXPECT_EQ(std::count(repeats.begin(), repeats.end(), true), static_cast<long>(repeats.size() - 1));
    EXPECT_EQ(rightPresses(), 0U);
}

TEST_F(SteeringTap, SwitchedOffOrInvalidatedItLetsTheKeysGo) {
    auto tap = take(true);
    ASSERT_NE(tap, nullptr);
    tap->setEnabled(false);
    EXPECT_FALSE(tap->isEnabled());
    type({XK_Super_L, XK_Alt_L, XK_Right});
    EXPECT_EQ(rightPresses(), 1U);

    tap->setEnabled(true);
    EXPECT_TRUE(tap->isEnabled());
    type({XK_Super_L, XK_Alt_L, XK_Right}, 2);
    EXPECT_EQ(rightPresses(), 1U);

    tap->invalidate();
    EXPECT_FALSE(tap->isEnabled());
    type({XK_Super_L, XK_Alt_L, XK_Right});
    EXPECT_EQ(rightPresses(), 2U);
    EXPECT_EQ(seen_.size(), 2U) << "only the one swallowed press and its release";
}

TEST_F(SteeringTap, KeysHeldByAnotherClientCannotBeTaken) {
    Display* display = keyboard_.display();
    XGrabKey(display, keyboard_.code(XK_Right), Mod4Mask | Mod1Mask, DefaultRootWindow(display), False, GrabModeAsync,
             GrabModeAsync);
    XSync(display, False);
    EXPECT_EQ(take(true), nullptr);
    XUngrabKey(display, keyboard_.code(XK_Right), AnyModifier, DefaultRootWindow(display));
    XSync(display, False);

    auto first = take(true);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(take(true), nullptr) << "the first tap holds them now";
    first->invalidate();
    EXPECT_NE(take(true), nullptr);
}

}  // namespace
}  // namespace nimbo::test
