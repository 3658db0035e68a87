// Acting on the screen end to end, on a desktop as users have it (openbox and
// xcompmgr): the GTK test application in front, the chord held through XTest,
// the reference server's overlay page proposing an offer after each capture,
// and the user's own tap accepting it. What the application did, what the
// clipboard holds and what the page was told are read from outside the shell.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <string>
#include <vector>

#include "ClipboardClients.h"
#include "Desktop.h"
#include "OverlayOverAWindow.h"
#include "RunningShell.h"
#include "TestApp.h"
#include "TestKeyboard.h"
#include "platform/linux/atspi/AtspiAccessibility.h"

namespace nimbo::test {
namespace {

// A clipboard as a user leaves it: text and a picture, offered by another client.
const Targets kCopied = {
    {"UTF8_STRING", "what the user copied — ünïcödé\n"},
    {"image/png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89", 33)},
};

void hold(TestKeyboard& keyboard, double seconds) {
    keyboard.press(XK_Super_L);
    keyboard.press(XK_Alt_L);
    runFor(seconds);
    keyboard.release(XK_Alt_L);
    keyboard.release(XK_Super_L);
}

// What the page was told, from its "got CHANNEL PAYLOAD" lines.
std::vector<std::string> got(const std::string& log, const std::string& channel) {
    return pageSaid(log, "got " + channel);
}

std::optional<std::string> entryText(TestApp& app) {
    atspi::AtspiAccessibility accessibility;
    auto root = app.element(accessibility);
    if (!root) return std::nullopt;
    for (const auto& seen : walkAll(accessibility, root)) {
        if (seen.role == "AXTextField") {
            if (const auto* text = std::get_if<std::string>(&seen.value)) return *text;
        }
    }
    return std::nullopt;
}

TEST(ActShell, OffersRunOnlyOnTheUsersOwnGesture) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox) << "openbox manages windows";
    Child compositor({"xcompmgr"}, {}, "");
    ASSERT_TRUE(waitUntil([] { return composited(); })) << "xcompmgr took the compositing manager's selection";

    DevServer server({"--overlay-offers", R"([
        {"do": "press", "target": "Save", "role": "button", "tap": true},
        {"do": "press", "target": "Delete account", "role": "button", "tap": true},
        {"do": "type", "role": "text field", "text": "hello from nimbo", "tap": true},
        {"do": "copy", "text": "names", "acceptHere": true}
    ])"});
    TestApp app(300, 200);
    ASSERT_TRUE(app.placed("Save"));
    RunningShell shell(server);
    ASSERT_TRUE(shell.pageSays("ready with the bridge", 30.0)) << shell.log();
    TestKeyboard keyboard;

    // A hold: the page offers to press Save, tap allowed; nothing is pressed yet.
    hold(keyboard, 0.6);
    ASSERT_TRUE(shell.pageSays("offer offer-1 ", 30.0)) << shell.log();
    EXPECT_EQ(pageSaid(shell.log(), "offer offer-1 "),
              std::vector<std::string>{R"(offer offer-1 {"detail":null,"ok":true})"});
    runFor(1.0);
    EXPECT_FALSE(app.said("clicked Save")) << "held, not run";

    // A tap of the chord accepts it.
    keyboard.chord({XK_Super_L, XK_Alt_L});
    ASSERT_TRUE(waitUntil([&] { return app.said("clicked Save"); }, 10.0)) << shell.log();
    ASSERT_TRUE(shell.pageSays("got nimbo:offer-done", 10.0)) << shell.log();
    const auto done = got(shell.log(), "nimbo:offer-done");
    ASSERT_EQ(done.size(), 1U);
    EXPECT_EQ(Json::parse(done[0].substr(done[0].find('{'))),
              Json::parse(R"({"by":"tap","id":"offer-1","kind":"press","ok":true,"why":null})"));

    // The control that is the user's own is refused when it is proposed.
    hold(keyboard, 0.6);
    ASSERT_TRUE(shell.pageSays("offer offer-2 ", 30.0)) << shell.log();
    EXPECT_EQ(pageSaid(shell.log(), "offer offer-2 "),
              std::vector<std::string>{R"(offer offer-2 {"ok":false,"why":"that one's yours to press"})"});
    keyboard.chord({XK_Super_L, XK_Alt_L});
    runFor(1.5);
    EXPECT_FALSE(app.said("clicked Delete account")) << shell.log();

    // Typing into the entry, accepted by a tap, leaves the clipboard as it was.
    OtherOwner owner(kCopied);
    hold(keyboard, 0.6);
    ASSERT_TRUE(shell.pageSays("offer offer-3 ", 30.0)) << shell.log();
    keyboard.chord({XK_Super_L, XK_Alt_L});
    ASSERT_TRUE(waitUntil([&] { return entryText(app) == "hello from nimbo"; }, 10.0))
        << (entryText(app) ? *entryText(app) : "(unread)") << shell.log();
    runFor(1.0);  // past the restore
    for (const auto& [target, bytes] : kCopied) EXPECT_EQ(readBack(target), bytes) << target;

    // Only the caption page, which shows the card, may accept by click.
    hold(keyboard, 0.6);
    ASSERT_TRUE(shell.pageSays("accept offer-4 ", 30.0)) << shell.log();
    EXPECT_EQ(pageSaid(shell.log(), "accept offer-4 "),
              std::vector<std::string>{R"(accept offer-4 {"ok":false,"why":"no click"})"});
}

}  // namespace
}  // namespace nimbo::test
