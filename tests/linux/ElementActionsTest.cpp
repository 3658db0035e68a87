// Acting on another application's controls over the real accessibility bus:
// pressing, focusing and writing into the GTK test application, and
// bringing its window to the front.
#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>

#include "Desktop.h"
#include "TestApp.h"
#include "TestKeyboard.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/AtspiRoles.h"
#include "platform/linux/x11/StackingWindowList.h"
#include "platform/linux/x11/WindowManagerApps.h"

namespace nimbo::test {
namespace {

using platform::AXError;
using platform::AXRef;
using platform::AXValue;

// The adapter as the shell makes it: told the active window's process by the window manager.
struct Adapter {
    x11::WindowManagerApps apps{""};
    atspi::AtspiAccessibility ax{[this] { return apps.frontPid(); }};
};

// The test application's controls, read once.
struct Controls {
    AXRef application, save, remember, entry, label;
};

Controls controlsOf(TestApp& app, platform::Accessibility& ax) {
    Controls found;
    found.application = app.element(ax);
    if (!found.application) return found;
    auto seen = walkAll(ax, found.application);
    auto element = [&](const std::string& role, const std::string& title) {
        const Seen* one = find(seen, role, title);
        return one ? one->element : nullptr;
    };
    found.save = element("AXButton", "Save");
    found.remember = element("AXCheckBox", "Remember me");
    found.entry = element("AXTextField", "");
    found.label = element("AXStaticText", "Signed in as Ada Lovelace");
    return found;
}

std::string valueText(platform::Accessibility& ax, const AXRef& element) {
    auto value = ax.copy(element, "AXValue");
    if (!value || !std::holds_alternative<std::string>(*value)) return "<none>";
    return std::get<std::string>(*value);
}

TEST(Acting, PressesWhatAButtonOrCheckBoxDoesAndRefusesWhatHasNoPress) {
    TestApp app(150, 120);
    Adapter adapter;
    auto& ax = adapter.ax;
    Controls controls = controlsOf(app, ax);
    ASSERT_TRUE(controls.save && controls.remember && controls.label);

    EXPECT_EQ(ax.performAction(controls.save, "AXPress"), AXError::success);
    EXPECT_TRUE(waitUntil([&] { return app.said("clicked Save"); }));
    EXPECT_FALSE(app.said("clicked Delete account"));

    EXPECT_EQ(ax.copy(controls.remember, "AXValue"), AXValue(0.0));
    EXPECT_EQ(ax.performAction(controls.remember, "AXPress"), AXError::success);
    ASSERT_TRUE(waitUntil([&] { return app.said("toggled Remember me on"); }));
    EXPECT_EQ(ax.copy(controls.remember, "AXValue"), AXValue(1.0)) << "read anew, not what was read before the press";

    EXPECT_EQ(ax.performAction(controls.label, "AXPress"), AXError::actionUnsupported) << "a label has no action";
    EXPECT_EQ(ax.performAction(controls.save, "AXShowMenu"), AXError::actionUnsupported);
    EXPECT_EQ(ax.copy(controls.application, "AXManualAccessibility"), std::nullopt) << "no such switch here";
}

TEST(Acting, WritesAreRefusedWhereTheElementCannotTakeThem) {
    TestApp app(150, 120);
    Adapter adapter;
    auto& ax = adapter.ax;
    Controls controls = controlsOf(app, ax);
    ASSERT_TRUE(controls.entry && controls.label && controls.save);

    EXPECT_EQ(ax.setAttribute(controls.label, "AXSelectedText", std::string("x")), AXError::attributeUnsupported)
        << "a label's text can't be edited";
    EXPECT_EQ(ax.setAttribute(controls.label, "AXFocused", true), AXError::failure) << "a label can't take focus";
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXTitle", std::string("x")), AXError::attributeUnsupported);
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXFocused", false), AXError::attributeUnsupported);
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXSelectedText", 3.0), AXError::illegalArgument);
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXSelectedText", std::string("caf\xC3")), AXError::illegalArgument)
        << "not UTF-8";
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXSelectedText", std::string("a\0b", 3)), AXError::illegalArgument);
    EXPECT_EQ(valueText(ax, controls.entry), "") << "nothing went in";
}

// A stopped application answers nothing: the request ends at the element's
// messaging time-out, told apart from a refusal.
TEST(Acting, AStoppedApplicationCannotCompleteInTime) {
    TestApp app(150, 120);
    Adapter adapter;
    auto& ax = adapter.ax;
    Controls controls = controlsOf(app, ax);
    ASSERT_TRUE(controls.save && controls.entry);

    app.process().signal(SIGSTOP);
    ax.setMessagingTimeout(controls.save, 0.3);
    ax.setMessagingTimeout(controls.entry, 0.3);
    EXPECT_EQ(ax.performAction(controls.save, "AXPress"), AXError::cannotComplete);
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXSelectedText", std::string("late")), AXError::cannotComplete);
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXFocused", true), AXError::cannotComplete);
    app.process().signal(SIGCONT);

    EXPECT_EQ(ax.performAction(controls.save, "AXPress"), AXError::success) << "answers again";
    EXPECT_TRUE(waitUntil([&] { return app.said("clicked Save"); }));
}

TEST(Acting, PicksThePressingActionAmongAControlsActions) {
    using atspi::pressActionAmong;
    EXPECT_EQ(pressActionAmong({"expand or contract", "activate"}), 1u);
    EXPECT_EQ(pressActionAmong({"SetFocus", "ShowMenu", "Press"}), 2u) << "names in any case";
    EXPECT_EQ(pressActionAmong({"activate", "click"}), 1u) << "a click before an activation";
    EXPECT_EQ(pressActionAmong({"customise"}), 0u) << "the only one there is";
    EXPECT_EQ(pressActionAmong({"customise", "describe"}), std::nullopt);
    EXPECT_EQ(pressActionAmong({}), std::nullopt);
}

// Focus and the focused element need a window manager to say which window is active.
TEST(ActingUnderWindowManager, FocusMovesWhereAskedAndIsFoundThere) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox);
    TestApp app(150, 120);
    Adapter adapter;
    auto& ax = adapter.ax;
    Controls controls = controlsOf(app, ax);
    ASSERT_TRUE(controls.remember && controls.entry);

    EXPECT_EQ(ax.setAttribute(controls.remember, "AXFocused", true), AXError::success);
    AXRef focused;
    EXPECT_TRUE(waitUntil([&] { return ax.same(focused = ax.focusedElement(), controls.remember); }));
    EXPECT_FALSE(ax.same(focused, controls.entry));
    EXPECT_EQ(ax.copy(controls.entry, "AXFocused"), AXValue(false));

    EXPECT_EQ(ax.setAttribute(controls.entry, "AXFocused", true), AXError::success);
    EXPECT_TRUE(waitUntil([&] { return ax.same(focused = ax.focusedElement(), controls.entry); }));
    EXPECT_TRUE(app.said("focused entry"));
    EXPECT_EQ(ax.copy(focused, "AXRole"), AXValue(std::string("AXTextField")));
    EXPECT_EQ(ax.copy(controls.entry, "AXFocused"), AXValue(true));
    EXPECT_FALSE(ax.same(controls.entry, controls.remember));
    EXPECT_FALSE(ax.same(controls.entry, nullptr));
}

TEST(ActingUnderWindowManager, SelectedTextReplacesTheSelectionOrGoesInAtTheCaret) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox);
    TestApp app(150, 120, {"--text", "Hello world"});
    Adapter adapter;
    auto& ax = adapter.ax;
    Controls controls = controlsOf(app, ax);
    ASSERT_TRUE(controls.entry);
    ASSERT_EQ(valueText(ax, controls.entry), "Hello world");
    ASSERT_EQ(ax.setAttribute(controls.entry, "AXFocused", true), AXError::success);
    ASSERT_TRUE(waitUntil([&] { return ax.same(ax.focusedElement(), controls.entry); }));

    // "world" selected from its end, as a user does with Shift and the arrow.
    TestKeyboard keyboard;
    keyboard.tap(XK_End);
    for (int i = 0; i < 5; ++i) keyboard.chord({XK_Shift_L, XK_Left});
    ASSERT_TRUE(waitUntil([&] { return app.said("entry selection 6,11"); }));
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXSelectedText", std::string("there")), AXError::success);
    EXPECT_EQ(ax.copyMultiple(controls.entry, {"AXValue"}), (std::vector<AXValue>{std::string("Hello there")}))
        << "what was read before the write is out of date";

    keyboard.tap(XK_Home);
    ASSERT_TRUE(waitUntil([&] { return app.said("entry selection 0,0"); }));
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXSelectedText", std::string("Oh, ")), AXError::success);
    EXPECT_EQ(valueText(ax, controls.entry), "Oh, Hello there");
    EXPECT_EQ(ax.setAttribute(controls.entry, "AXSelectedText", std::string("Grüße, ")), AXError::success)
        << "after what went in last";
    EXPECT_EQ(valueText(ax, controls.entry), "Oh, Grüße, Hello there");
    EXPECT_TRUE(app.said("entry text Oh, Grüße, Hello there"));

    // A change the user makes is seen as soon as it is made, as a wait for a paste to land needs.
    keyboard.tap(XK_End);
    keyboard.tap(XK_x);
    ASSERT_TRUE(waitUntil([&] { return app.said("entry text Oh, Grüße, Hello therex"); }));
    EXPECT_EQ(valueText(ax, controls.entry), "Oh, Grüße, Hello therex");
}

// A toolkit that answers no collection query is searched element by
// element, past branches that are not on screen.
TEST(Acting, TheFocusedElementIsFoundWhereNoCollectionQueryIsAnswered) {
    TestApp plain(0, 0, {"--plain"});
    const int pid = plain.pid();
    atspi::AtspiAccessibility ax([pid] { return std::optional<int>(pid); });
    AXRef focused;
    ASSERT_TRUE(waitUntil([&] { return (focused = ax.focusedElement()) != nullptr; }));
    EXPECT_EQ(ax.copy(focused, "AXTitle"), AXValue(std::string("Shown field")));
    EXPECT_EQ(ax.copy(focused, "AXRole"), AXValue(std::string("AXTextField")));

    atspi::AtspiAccessibility unaware;
    EXPECT_EQ(unaware.focusedElement(), nullptr) << "told no active window";
}

std::optional<long> activeWindow() {
    Display* display = xDisplay();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0, 1,
                       False, XA_WINDOW, &type, &format, &count, &after, &data);
    std::optional<long> window;
    if (data && count == 1) window = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return window;
}

// The windows of these processes, front to back.
std::vector<int> ownersFrontToBack(const std::vector<int>& pids) {
    std::vector<int> owners;
    x11::StackingWindowList list("");
    for (const auto& window : list.onScreen().value_or(std::vector<platform::WindowInfo>{})) {
        if (std::find(pids.begin(), pids.end(), window.ownerPid) != pids.end()) owners.push_back(window.ownerPid);
    }
    return owners;
}

TEST(ActingUnderWindowManager, ActivatingBringsTheApplicationsWindowToTheFront) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox);
    TestApp behind(100, 100);
    TestApp front(300, 200);
    const int behindPid = behind.pid(), frontPid = front.pid();
    x11::WindowManagerApps apps("");
    ASSERT_TRUE(waitUntil([&] { return apps.isActive(frontPid); })) << "the newer window is active";
    EXPECT_FALSE(apps.isActive(behindPid));
    ASSERT_EQ(ownersFrontToBack({behindPid, frontPid}), (std::vector<int>{frontPid, behindPid}));

    EXPECT_TRUE(apps.activate(behindPid));
    EXPECT_TRUE(waitUntil([&] { return apps.isActive(behindPid); }));
    EXPECT_FALSE(apps.isActive(frontPid));
    EXPECT_EQ(apps.frontPid(), behindPid);
    const auto active = activeWindow();
    ASSERT_TRUE(active);
    EXPECT_EQ(ownersFrontToBack({behindPid, frontPid}), (std::vector<int>{behindPid, frontPid}));
    x11::StackingWindowList list("");
    auto windows = list.onScreen();
    ASSERT_TRUE(windows);
    auto first = std::find_if(windows->begin(), windows->end(), [&](auto& w) { return w.ownerPid == behindPid; });
    ASSERT_NE(first, windows->end());
    EXPECT_EQ(first->number, *active) << "the window the window manager made active is the one in front";

    Child windowless({"sleep", "30"}, {}, "");
    EXPECT_FALSE(apps.activate(windowless.pid())) << "a process without a window";
    EXPECT_FALSE(apps.activate(0));
}

TEST(RunningApplications, NamedByTheirAccessibleNameElseTheirCommandWhileTheyRun) {
    TestApp app(150, 120);
    const int pid = app.pid();
    atspi::AtspiAccessibility ax;
    x11::WindowManagerApps plain("");
    x11::WindowManagerApps named("", [&](int of) -> std::optional<std::string> {
        auto element = ax.application(of);
        if (!element) return std::nullopt;
        auto title = ax.copy(element, "AXTitle");
        if (!title || !std::holds_alternative<std::string>(*title)) return std::nullopt;
        return std::get<std::string>(*title) + " (accessible)";
    });
    ASSERT_TRUE(app.element(ax));
    auto seen = named.running(pid);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->pid, pid);
    EXPECT_EQ(seen->name, "nimbo-test-app (accessible)");
    EXPECT_EQ(plain.running(pid).value_or(platform::RunningApp{}).name, "nimbo-test-app") << "the command's name";

    app.process().signal(SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return app.process().exited(); }));
    EXPECT_FALSE(named.running(pid)) << "gone";
    EXPECT_FALSE(named.running(-1));
}

// Without a window manager nobody handles the request: the window is raised
// and given the keyboard directly.
TEST(RunningApplications, ActivatingWithoutAWindowManagerRaisesAndFocusesTheWindow) {
    // One that has quit leaves its lists on the root window, out of date.
    startOpenbox().reset();
    TestApp behind(100, 100);
    TestApp front(300, 200);
    const int behindPid = behind.pid(), frontPid = front.pid();
    x11::WindowManagerApps apps("");
    ASSERT_EQ(ownersFrontToBack({behindPid, frontPid}), (std::vector<int>{frontPid, behindPid}));
    EXPECT_TRUE(apps.activate(behindPid));
    EXPECT_EQ(ownersFrontToBack({behindPid, frontPid}), (std::vector<int>{behindPid, frontPid}));
    EXPECT_EQ(apps.frontPid(), behindPid) << "the window with the input focus";
    EXPECT_TRUE(waitUntil([&] { return behind.said("focused entry"); })) << "its window has the keyboard";
    EXPECT_TRUE(apps.isActive(behindPid));
    EXPECT_FALSE(apps.isActive(frontPid));
}

}  // namespace
}  // namespace nimbo::test
