// The chord end to end: the nimbo program against the reference server, keys
// typed through XTest, and what the overlay page says it received in the log.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Desktop.h"
#include "RunningShell.h"
#include "TestKeyboard.h"

namespace nimbo::test {
namespace {

// A short press is a tap: it confirms once no second tap follows, and two in
// a row put everything away without confirming.
TEST(ChordShell, ATapConfirmsAndADoubleTapCancels) {
    DevServer server;
    RunningShell shell(server);
    ASSERT_TRUE(shell.pageSays("ready with the bridge", 30.0)) << shell.log();

    TestKeyboard keyboard;
    keyboard.chord({XK_Super_L, XK_Alt_L});
    ASSERT_TRUE(shell.pageSays("got nimbo:tap")) << shell.log();
    EXPECT_TRUE(shell.pageSays("got nimbo:confirm")) << shell.log();
    // The tap and what it meant, in that order.
    std::vector<std::string> settled;
    for (const auto& line : pageSaid(shell.log(), "got nimbo:")) {
        for (const char* channel : {"got nimbo:tap", "got nimbo:confirm", "got nimbo:cancel"}) {
            if (line.rfind(channel, 0) == 0) settled.push_back(channel);
        }
    }
    EXPECT_EQ(settled, (std::vector<std::string>{"got nimbo:tap", "got nimbo:confirm"})) << shell.log();

    keyboard.chord({XK_Super_L, XK_Alt_L});
    runFor(0.25);
    keyboard.chord({XK_Super_L, XK_Alt_L});
    ASSERT_TRUE(shell.pageSays("got nimbo:cancel")) << shell.log();
    runFor(0.5);
    EXPECT_EQ(pageLines(shell.log(), "got nimbo:confirm"), 1U) << "only the first tap's" << shell.log();
    EXPECT_EQ(pageLines(shell.log(), "got nimbo:tap"), 2U) << "the second tap of a pair sends none" << shell.log();
    EXPECT_EQ(pageLines(shell.log(), "got nimbo:capture"), 0U) << shell.log();
}

TEST(ChordShell, ATeleprompterPageGetsTheStepsAndTheWindowNeverTheArrow) {
    DevServer server({"--prompter"});
    RunningShell shell(server);
    TestKeyboard keyboard;
    keyboard.focusWindow();
    ASSERT_TRUE(shell.pageSays("steering", 30.0)) << shell.log();

    keyboard.press(XK_Super_L);
    keyboard.press(XK_Alt_L);
    ASSERT_TRUE(shell.pageSays("got nimbo:listen")) << shell.log();
    keyboard.tap(XK_Right);
    EXPECT_TRUE(shell.pageSays("got nimbo:steer 1")) << shell.log();
    keyboard.release(XK_Alt_L);
    keyboard.release(XK_Super_L);

    const auto superReleased = [&] {
        const auto releases = keyboard.windowReleases();
        return std::count(releases.begin(), releases.end(), keyboard.code(XK_Super_L)) == 1;
    };
    ASSERT_TRUE(waitUntil(superReleased)) << "the focused window lost the keyboard";
    const auto presses = keyboard.windowPresses();
    EXPECT_EQ(std::count(presses.begin(), presses.end(), keyboard.code(XK_Right)), 0);
    EXPECT_EQ(pageLines(shell.log(), "got nimbo:cancel"), 0U) << shell.log();
}

}  // namespace
}  // namespace nimbo::test
