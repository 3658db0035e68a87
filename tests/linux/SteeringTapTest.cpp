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
    std::size_t count(const std::vector<KeyCode>& codes, KeySym symbol) const {
        return static_cast<std::size_t>(std::count(codes.begin(), codes.end(), keyboard_.code(symbol)));
    }
    std::size_t rightPresses() { return count(keyboard_.windowPresses(), XK_Right); }

    TestKeyboard keyboard_;
    std::vector<platform::TapEvent> seen_;
};

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

}  // namespace
}  // namespace nimbo::test
