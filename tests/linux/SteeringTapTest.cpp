// The active key tap on a real X server: a held chord arrow repeats into the
// tap, marked as repeats, and never reaches the focused window. Only the tap
// sees the server's repeats; the rest of steering is proven through the
// hotkey (Chord).
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>

#include "Desktop.h"
#include "TestKeyboard.h"

namespace nimbo::test {
namespace {

TEST(SteeringTap, AHeldArrowRepeatsIntoTheTap) {
    TestKeyboard keyboard;
    keyboard.focusWindow();
    std::vector<platform::TapEvent> seen;
    // Left and Right held with Command and Option, taken from the window.
    auto tap = desktop().keyTaps().intercept({123, 124}, 0x180000, [&](const platform::TapEvent& event) {
        seen.push_back(event);
        return true;
    });
    ASSERT_NE(tap, nullptr);
    keyboard.chord({XK_Super_L, XK_Alt_L, XK_Right}, 1.0);  // past the server's repeat delay
    // The window's keys are read straight off the test's connection, the tap's
    // come through the main loop and may lag some repeats behind under load:
    // wait for both to have seen the end.
    const auto windowGot = [&](std::vector<KeyCode> codes, KeySym symbol) {
        return std::count(codes.begin(), codes.end(), keyboard.code(symbol));
    };
    ASSERT_TRUE(waitUntil([&] {
        return windowGot(keyboard.windowReleases(), XK_Super_L) == 1 && !seen.empty() && seen.back().type == 11;
    })) << "the tap never saw the arrow come up";
    std::vector<bool> repeats;
    for (const auto& event : seen)
        if (event.type == 10) repeats.push_back(event.autoRepeat);
    ASSERT_GE(repeats.size(), 2U) << "the server repeated the held key";
    EXPECT_FALSE(repeats.front());
    EXPECT_EQ(std::count(repeats.begin(), repeats.end(), true), static_cast<long>(repeats.size() - 1));
    EXPECT_EQ(windowGot(keyboard.windowPresses(), XK_Right), 0);
}

}  // namespace
}  // namespace nimbo::test
