// Other applications' controls read over the real accessibility bus, from a
// GTK application of our own whose controls are known.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cmath>

#include "Desktop.h"
#include "ProbeWindow.h"
#include "TestApp.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/x11/StackingWindowList.h"

namespace nimbo::test {
namespace {

using platform::AXRef;
using platform::AXValue;

std::string text(const std::optional<AXValue>& value) {
    auto* string = value ? std::get_if<std::string>(&*value) : nullptr;
    return string ? *string : "";
}

std::vector<AXRef> elements(const std::optional<AXValue>& value) {
    auto* list = value ? std::get_if<std::vector<AXRef>>(&*value) : nullptr;
    return list ? *list : std::vector<AXRef>{};
}

bool inside(const Rect& inner, const GdkRectangle& outer) {
    return inner.minX() >= outer.x && inner.minY() >= outer.y && inner.maxX() <= outer.x + outer.width &&
           inner.maxY() <= outer.y + outer.height;
}

std::optional<platform::WindowInfo> windowOf(int pid) {
    x11::StackingWindowList list("");
    for (const auto& window : list.onScreen().value_or(std::vector<platform::WindowInfo>{})) {
        if (window.ownerPid == pid) return window;
    }
    return std::nullopt;
}

TEST(Accessibility, ReadsTheControlsOfAGtkApplicationWhereTheyAre) {
    TestApp app(200, 150);
    atspi::AtspiAccessibility ax;
    AXRef application = app.element(ax);
    ASSERT_TRUE(application) << "the test application is on the accessibility bus";
    EXPECT_EQ(ax.pid(application), app.pid());

    auto windows = elements(ax.copy(application, "AXWindows"));
    ASSERT_EQ(windows.size(), 1u);
    auto seen = walkAll(ax, windows[0]);
    ASSERT_NE(find(seen, "AXWindow", "Nimbo Test App"), nullptr);

    // The button's frame is where X has the window, and a click at its
    // centre reaches the button itself.
    const Seen* save = find(seen, "AXButton", "Save");
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(save->frame);
    auto listed = windowOf(app.pid());
    ASSERT_TRUE(listed);
    EXPECT_TRUE(inside(*save->frame, serverGeometry(static_cast<unsigned long>(listed->number))));
    const Point centre{save->frame->minX() + save->frame->size.width / 2,
                       save->frame->minY() + save->frame->size.height / 2};
    clickAt(static_cast<int>(centre.x), static_cast<int>(centre.y));
    EXPECT_TRUE(waitUntil([&] { return app.said("clicked Save"); })) << "a click at the frame's centre";
    EXPECT_FALSE(app.said("clicked Delete account"));
    EXPECT_NE(find(seen, "AXButton", "Delete account"), nullptr);

    const Seen* entry = find(seen, "AXTextField");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->placeholder, "Email address");
    EXPECT_EQ(entry->value, AXValue(std::string()));
    const Seen* check = find(seen, "AXCheckBox", "Remember me");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->value, AXValue(0.0));
    EXPECT_NE(find(seen, "AXStaticText", "Signed in as Ada Lovelace"), nullptr);
    const Seen* list = find(seen, "AXList");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->visibleRows, 3u) << "rows on screen";

    // Element at a position: the deepest one, the button.
    AXRef hit = ax.elementAtPosition(application, centre);
    ASSERT_TRUE(hit);
    EXPECT_EQ(text(ax.copy(hit, "AXRole")), "AXButton");
    EXPECT_EQ(text(ax.copy(hit, "AXTitle")), "Save");
    EXPECT_EQ(ax.pid(hit), app.pid());
    EXPECT_TRUE(ax.copy(hit, "AXParent"));
    EXPECT_FALSE(ax.elementAtPosition(application, Point{1900, 1070})) << "a point outside its windows";

    // The menu bar GTK put inside the window.
    auto bar = ax.copy(application, "AXMenuBar");
    ASSERT_TRUE(bar && std::holds_alternative<AXRef>(*bar));
    AXRef menuBar = std::get<AXRef>(*bar);
    EXPECT_EQ(text(ax.copy(menuBar, "AXRole")), "AXMenuBar");
    std::vector<std::string> titles;
    for (const AXRef& item : elements(ax.copy(menuBar, "AXChildren"))) {
        auto values = ax.copyMultiple(item, {"AXTitle", "AXPosition", "AXSize", "AXSelected", "AXChildren"});
        ASSERT_TRUE(values);
        titles.push_back(std::get<std::string>((*values)[0]));
        EXPECT_EQ((*values)[3], AXValue(false)) << "no menu is open";
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"File", "Edit"}));
}

// An application that stops answering, or dies, fails the reads of it
// within its time-out; the same adapter reads it again once it answers.
TEST(Accessibility, AHungOrDeadApplicationOnlyFailsItsOwnReads) {
    TestApp app(100, 100);
    atspi::AtspiAccessibility ax;
    ax.setReadAhead(0);  // so that nothing below the window is read in advance
    AXRef application = app.element(ax);
    ASSERT_TRUE(application);
    auto windows = elements(ax.copy(application, "AXWindows"));
    ASSERT_FALSE(windows.empty());
    auto children = elements(ax.copy(windows[0], "AXChildren"));
    ASSERT_FALSE(children.empty());
    AXRef child = children[0];

    app.process().signal(SIGSTOP);
    ax.setMessagingTimeout(child, 0.3);
    EXPECT_FALSE(ax.copyMultiple(child, walkAttributes())) << "the connection already open";
    atspi::AtspiAccessibility fresh;
    AXRef again = fresh.application(app.pid());
    ASSERT_TRUE(again) << "found by the bus, which still answers for it";
    fresh.setMessagingTimeout(again, 0.3);
    EXPECT_FALSE(fresh.copyMultiple(again, walkAttributes())) << "a connection to be made";
    EXPECT_FALSE(fresh.elementAtPosition(again, Point{150, 150}));

    app.process().signal(SIGCONT);
    auto values = ax.copyMultiple(child, walkAttributes());
    ASSERT_TRUE(values) << "answers again";
    EXPECT_NE(std::get_if<std::string>(&(*values)[0]), nullptr);
    auto unread = std::get<std::vector<AXRef>>((*values)[8]);
    ASSERT_FALSE(unread.empty());

    app.process().signal(SIGKILL);
    app.process().waitForExit(10.0);
    EXPECT_FALSE(ax.copyMultiple(unread.back(), walkAttributes()));
    EXPECT_TRUE(waitUntil([&] { return ax.application(app.pid()) == nullptr; })) << "gone from the bus";
}

// An application whose answers are of the wrong types, cyclic, or name
// applications that don't exist: reads give absent values, walks end.
TEST(Accessibility, GarbageAnswersGiveAbsentValuesAndWalksEnd) {
    TestApp garbage(0, 0, {"--garbage"});
    atspi::AtspiAccessibility ax;
    AXRef application = garbage.element(ax);
    ASSERT_TRUE(application);
    EXPECT_EQ(text(ax.copy(application, "AXRole")), "AXApplication");

    EXPECT_FALSE(walkAll(ax, application).empty()) << "a walk round the application's cycle ends at its bound";
    auto children = elements(ax.copy(application, "AXChildren"));
    ASSERT_EQ(children.size(), 3u);
    auto inner = ax.copyMultiple(children[1], walkAttributes());
    ASSERT_TRUE(inner);
    EXPECT_EQ((*inner)[0], AXValue(std::string("AXUnknown"))) << "a role with no counterpart";
    EXPECT_EQ((*inner)[2], AXValue()) << "a name that is not a text";
    EXPECT_EQ((*inner)[7], AXValue()) << "a negative width";
    EXPECT_EQ((*inner)[4], AXValue()) << "a text that is a number";
    EXPECT_EQ(elements((*inner)[8]).size(), 502u) << "itself 500 times and two of no application";
    EXPECT_FALSE(ax.copyMultiple(elements((*inner)[8]).back(), walkAttributes())) << "an application not there";
    EXPECT_FALSE(ax.copyMultiple(children[2], walkAttributes())) << "a role that is not a number fails the read";
    EXPECT_FALSE(walkAll(ax, children[1]).empty());

    AXRef hit = ax.elementAtPosition(application, Point{10, 10});
    EXPECT_TRUE(hit) << "an element that names itself as the one at the point ends the descent";
}

TEST(WindowList, StacksWindowsFrontToBackWithTheirOwners) {
    TestApp first(50, 60);
    TestApp second(300, 200);
    ProbeWindow dock(0, 0, 1920, 30);
    ProbeWindow faint(600, 600, 200, 150);
    setProperty(dock.window(), "_NET_WM_WINDOW_TYPE", "ATOM", {atom("_NET_WM_WINDOW_TYPE_DOCK")});
    setProperty(faint.window(), "_NET_WM_WINDOW_OPACITY", "CARDINAL", {0x7FFFFFFF});

    x11::StackingWindowList list("");
    auto order = [&] {
        std::vector<long> numbers;
        for (const auto& window : list.onScreen().value_or(std::vector<platform::WindowInfo>{})) {
            numbers.push_back(window.number);
        }
        return numbers;
    };
    auto windows = list.onScreen();
    ASSERT_TRUE(windows);
    const long firstNumber = windowOf(first.pid())->number;
    const long secondNumber = windowOf(second.pid())->number;
    for (const auto& window : *windows) {
        EXPECT_NE(window.number, static_cast<long>(dock.window())) << "docks are left out";
        if (window.number == static_cast<long>(faint.window())) {
            EXPECT_NEAR(window.alpha.value_or(1), 0.5, 0.01);
        }
        if (window.ownerPid == second.pid()) {
            const GdkRectangle real = serverGeometry(static_cast<unsigned long>(window.number));
            EXPECT_EQ(window.bounds,
                      (Rect{{double(real.x), double(real.y)}, {double(real.width), double(real.height)}}));
            EXPECT_EQ(window.layer, 0);
        }
    }
    auto before = order();
    auto at = [&](const std::vector<long>& numbers, long number) {
        return std::find(numbers.begin(), numbers.end(), number) - numbers.begin();
    };
    EXPECT_LT(at(before, secondNumber), at(before, firstNumber)) << "the later window is in front";
    EXPECT_LT(at(before, static_cast<long>(faint.window())), at(before, secondNumber));

    XRaiseWindow(xDisplay(), static_cast<Window>(firstNumber));
    XSync(xDisplay(), False);
    auto after = order();
    EXPECT_EQ(at(after, firstNumber), 0) << "raised to the front";
    EXPECT_LT(at(after, firstNumber), at(after, secondNumber));
}

// Under a window manager the listed bounds take in its frame, as the
// accessibility window's frame does, so the two can be matched.
TEST(WindowListUnderWindowManager, BoundsMatchTheAccessibilityWindowFrame) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox);
    TestApp app(400, 300);
    atspi::AtspiAccessibility ax;
    AXRef application = app.element(ax);
    ASSERT_TRUE(application);
    auto windows = elements(ax.copy(application, "AXWindows"));
    ASSERT_FALSE(windows.empty());

    // The window manager frames the window after it is shown.
    std::optional<platform::WindowInfo> listed;
    ASSERT_TRUE(waitUntil([&] {
        listed = windowOf(app.pid());
        return listed && listed->bounds &&
               listed->bounds->size.height > serverGeometry(static_cast<unsigned long>(listed->number)).height;
    })) << "openbox's title bar is part of the bounds";
    auto position = ax.copy(windows[0], "AXPosition");
    auto size = ax.copy(windows[0], "AXSize");
    ASSERT_TRUE(position && size);
    const Rect frame{std::get<Point>(*position), std::get<Size>(*size)};
    const Rect bounds = *listed->bounds;
    double apart =
        std::max({std::abs(frame.minX() - bounds.minX()), std::abs(frame.minY() - bounds.minY()),
                  std::abs(frame.size.width - bounds.size.width), std::abs(frame.size.height - bounds.size.height)});
    EXPECT_LE(apart, 6.0) << "listed " << bounds.minX() << "," << bounds.minY() << " " << bounds.size.width << "x"
                          << bounds.size.height << ", read " << frame.minX() << "," << frame.minY() << " "
                          << frame.size.width << "x" << frame.size.height;
}

}  // namespace
}  // namespace nimbo::test
