// The chord end to end: the nimbo program against the reference server, keys
// typed through XTest, and what the overlay page says it received in the log.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <signal.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Desktop.h"
#include "TestKeyboard.h"

namespace nimbo::test {
namespace {

// The overlay page's own lines, "nimbo: [page] overlay <display> <what it says>",
// that say `what`; the display's name depends on the server's outputs.
std::size_t pageLines(const std::string& log, const std::string& what) {
    const std::string prefix = "nimbo: [page] overlay ";
    std::size_t count = 0;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) != 0) continue;
        const auto said = line.find(' ', prefix.size());
        if (said != std::string::npos && line.compare(said + 1, what.size(), what) == 0) ++count;
    }
    return count;
}

// The program started as a user would, in private folders, against `server`.
class RunningShell {
public:
    explicit RunningShell(const DevServer& server) : shell_(startShell(home_, server.origin())) {}
    ~RunningShell() {
        shell_->signal(SIGTERM);
        shell_->waitForExit(5.0);
    }
    RunningShell(const RunningShell&) = delete;
    RunningShell& operator=(const RunningShell&) = delete;

    std::string log() const { return readFile(shellLog(home_)); }
    // Waits until the overlay page has said `what`; false if it never did or
    // the program ended first.
    bool pageSays(const std::string& what, double seconds = 10.0) {
        return waitUntil([&] { return pageLines(log(), what) > 0 || shell_->exited(); }, seconds) && !shell_->exited();
    }

private:
    TempDir home_;
    std::unique_ptr<Child> shell_;
};

// The key tap is armed at launch, before the overlay pages are built, so a
// page that says it is ready (or steering) can be reached by the chord.
TEST(ChordShell, AHoldSendsListenToTheOverlayUnderThePointer) {
    DevServer server;
    RunningShell shell(server);
    ASSERT_TRUE(shell.pageSays("ready with the bridge", 30.0)) << shell.log();

    TestKeyboard keyboard;
    keyboard.press(XK_Super_L);
    keyboard.press(XK_Alt_L);
    runFor(0.6);
    keyboard.release(XK_Alt_L);
    keyboard.release(XK_Super_L);
    EXPECT_TRUE(shell.pageSays("got nimbo:listen")) << shell.log();
    runFor(0.3);
    EXPECT_EQ(pageLines(shell.log(), "got nimbo:listen"), 1U) << shell.log();
    EXPECT_EQ(pageLines(shell.log(), "got nimbo:cancel"), 0U) << shell.log();
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
