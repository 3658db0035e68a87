// The listen-only key tap on a real X server: XInput 2 raw events translated
// into flags-changed, key-down and key-up events, the shell's own posted keys
// recognised, and the tap's enable state.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "Desktop.h"
#include "TestKeyboard.h"

namespace nimbo::test {
namespace {

constexpr std::uint64_t kEveryKeyEvent = (1U << 10) | (1U << 11) | (1U << 12);
constexpr std::int64_t kMarker = 0x6E696D626F;
constexpr std::uint64_t kCommand = 0x100000;
constexpr int kA = 0, kV = 9;

// "type flags key" plus " repeat" and " marked" when set: a failed
// comparison then reads like the event list it is.
std::string describe(const platform::TapEvent& event) {
    char text[96];
    std::snprintf(text, sizeof text, "%u %#llx %d%s%s", event.type, static_cast<unsigned long long>(event.flags),
                  event.keyCode, event.autoRepeat ? " repeat" : "",
                  event.userData == kMarker ? " marked" : (event.userData != 0 ? " other data" : ""));
    return text;
}

class ListenTap : public ::testing::Test {
protected:
    void SetUp() override {
        tap_ = listen(kEveryKeyEvent, events_);
        ASSERT_NE(tap_, nullptr);
        ASSERT_TRUE(tap_->isEnabled());
    }
    void TearDown() override {
        if (tap_) tap_->invalidate();
    }

    static std::shared_ptr<platform::KeyTap> listen(std::uint64_t mask, std::vector<platform::TapEvent>& into) {
        return desktop().keyTaps().listenOnly(mask,
                                              [&into](const platform::TapEvent& event) { into.push_back(event); });
    }

    // The next `count` events, once they have all arrived.
    std::vector<std::string> next(std::size_t count, std::vector<platform::TapEvent>* from = nullptr) {
        auto& events = from ? *from : events_;
        waitUntil([&] { return events.size() >= count; });
        std::vector<std::string> described;
        for (std::size_t i = 0; i < std::min(count, events.size()); ++i) described.push_back(describe(events[i]));
        events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(described.size()));
        return described;
    }

    TestKeyboard keyboard_;
    std::shared_ptr<platform::KeyTap> tap_;
    std::vector<platform::TapEvent> events_;
};

TEST_F(ListenTap, ModifiersChangeTheFlagsInEitherOrder) {
    keyboard_.chord({XK_Super_L, XK_Alt_L});
    EXPECT_EQ(next(4), (std::vector<std::string>{"12 0x100000 55", "12 0x180000 58", "12 0x100000 58", "12 0 55"}));
    keyboard_.chord({XK_Alt_L, XK_Super_L});
    EXPECT_EQ(next(4), (std::vector<std::string>{"12 0x80000 58", "12 0x180000 55", "12 0x80000 55", "12 0 58"}));

    // The right-hand keys are the same modifiers.
    keyboard_.chord({XK_Super_R, XK_Alt_R});
    EXPECT_EQ(next(4), (std::vector<std::string>{"12 0x100000 54", "12 0x180000 61", "12 0x100000 61", "12 0 54"}));

    // Shift and Control have bits of their own.
    keyboard_.press(XK_Shift_L);
    keyboard_.press(XK_Control_L);
    keyboard_.release(XK_Shift_L);
    keyboard_.release(XK_Control_L);
    EXPECT_EQ(next(4), (std::vector<std::string>{"12 0x20000 56", "12 0x60000 59", "12 0x40000 56", "12 0 59"}));
}

TEST_F(ListenTap, KeysCarryTheirCodeAndTheFlagsHeld) {
    keyboard_.chord({XK_Super_L, XK_Alt_L, XK_Right});
    EXPECT_EQ(next(6), (std::vector<std::string>{"12 0x100000 55", "12 0x180000 58", "10 0x180000 124",
                                                 "11 0x180000 124", "12 0x100000 58", "12 0 55"}));
    keyboard_.tap(XK_a);
    EXPECT_EQ(next(2), (std::vector<std::string>{"10 0 0", "11 0 0"}));
}

TEST_F(ListenTap, OnlyTheTypesAskedForArrive) {
    std::vector<platform::TapEvent> downsAndFlags;
    auto tap = listen((1U << 10) | (1U << 12), downsAndFlags);
    ASSERT_NE(tap, nullptr);
    keyboard_.chord({XK_Super_L, XK_a});
    ASSERT_EQ(next(4).size(), 4U) << "every event reached the other tap";
    EXPECT_EQ(next(3, &downsAndFlags), (std::vector<std::string>{"12 0x100000 55", "10 0x100000 0", "12 0 55"}));
    runFor(0.2);
    EXPECT_TRUE(downsAndFlags.empty());
}

// The server's own key repeat makes no raw events; a keyboard that repeats by
// itself sends presses without releases, as XTest does here.
TEST_F(ListenTap, AKeyPressedAgainBeforeItsReleaseIsARepeat) {
    keyboard_.press(XK_Right);
    keyboard_.press(XK_Right);
    keyboard_.press(XK_Right);
    keyboard_.release(XK_Right);
    keyboard_.tap(XK_Right);
    EXPECT_EQ(next(6), (std::vector<std::string>{"10 0 124", "10 0 124 repeat", "10 0 124 repeat", "11 0 124",
                                                 "10 0 124", "11 0 124"}));
}

TEST_F(ListenTap, PostedKeysComeBackMarkedAndOthersDoNot) {
    auto& taps = desktop().keyTaps();
    // Each batch is awaited before the next: the server orders the requests
    // of two clients (the backend's and the test's) as it likes.
    taps.postKey(kA, true, 0, kMarker);
    taps.postKey(kA, false, 0, kMarker);
    EXPECT_EQ(next(2), (std::vector<std::string>{"10 0 0 marked", "11 0 0 marked"}));
    keyboard_.tap(XK_a);
    EXPECT_EQ(next(2), (std::vector<std::string>{"10 0 0", "11 0 0"}));

    // Posted with Command: the flags ride on the key itself, without
    // modifier changes of their own, and nothing stays held afterwards.
    taps.postKey(kV, true, kCommand, kMarker);
    taps.postKey(kV, false, kCommand, kMarker);
    EXPECT_EQ(next(2), (std::vector<std::string>{"10 0x100000 9 marked", "11 0x100000 9 marked"}));
    keyboard_.tap(XK_v);
    EXPECT_EQ(next(2), (std::vector<std::string>{"10 0 9", "11 0 9"}));

    // With Command really held the user's own modifier stays as it is.
    keyboard_.press(XK_Super_L);
    EXPECT_EQ(next(1), (std::vector<std::string>{"12 0x100000 55"}));
    taps.postKey(kV, true, kCommand, kMarker);
    taps.postKey(kV, false, kCommand, kMarker);
    EXPECT_EQ(next(2), (std::vector<std::string>{"10 0x100000 9 marked", "11 0x100000 9 marked"}));
    keyboard_.release(XK_Super_L);
    EXPECT_EQ(next(1), (std::vector<std::string>{"12 0 55"}));
    runFor(0.2);
    EXPECT_TRUE(events_.empty());
}

TEST_F(ListenTap, ASwitchedOffTapHearsNothingUntilSwitchedOn) {
    tap_->setEnabled(false);
    EXPECT_FALSE(tap_->isEnabled());
    keyboard_.tap(XK_a);
    keyboard_.press(XK_Super_L);  // held while off
    runFor(0.3);
    EXPECT_TRUE(events_.empty());

    tap_->setEnabled(true);
    EXPECT_TRUE(tap_->isEnabled());
    keyboard_.tap(XK_a);
    keyboard_.release(XK_Super_L);
    EXPECT_EQ(next(3), (std::vector<std::string>{"10 0x100000 0", "11 0x100000 0", "12 0 55"}));

    // Once invalidated, it can't be switched on again.
    tap_->invalidate();
    tap_->setEnabled(true);
    EXPECT_FALSE(tap_->isEnabled());
    keyboard_.tap(XK_a);
    runFor(0.3);
    EXPECT_TRUE(events_.empty());
}

TEST_F(ListenTap, KeepsHearingWhileAnotherClientGrabsTheKeyboard) {
    ASSERT_EQ(XGrabKeyboard(keyboard_.display(), DefaultRootWindow(keyboard_.display()), False, GrabModeAsync,
                            GrabModeAsync, CurrentTime),
              GrabSuccess);
    keyboard_.tap(XK_a);
    EXPECT_EQ(next(2), (std::vector<std::string>{"10 0 0", "11 0 0"}));
    XUngrabKeyboard(keyboard_.display(), CurrentTime);
    XSync(keyboard_.display(), False);
}

TEST_F(ListenTap, ReportsADroppedConnectionAndReconnectsWhenSwitchedOn) {
    auto before = keyboard_.clients();
    std::vector<platform::TapEvent> heard;
    auto tap = listen(kEveryKeyEvent, heard);
    ASSERT_NE(tap, nullptr);
    auto after = keyboard_.clients();
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    std::vector<unsigned long> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    ASSERT_EQ(added.size(), 1U) << "the tap's own connection";

    keyboard_.kill(added.front());
    ASSERT_TRUE(waitUntil([&] { return !tap->isEnabled(); }));
    keyboard_.tap(XK_a);
    runFor(0.2);
    EXPECT_TRUE(heard.empty());

    tap->setEnabled(true);
    EXPECT_TRUE(tap->isEnabled());
    keyboard_.tap(XK_a);
    EXPECT_EQ(next(2, &heard), (std::vector<std::string>{"10 0 0", "11 0 0"}));
    EXPECT_EQ(next(4).size(), 4U) << "the other tap was not disturbed";
}

}  // namespace
}  // namespace nimbo::test
