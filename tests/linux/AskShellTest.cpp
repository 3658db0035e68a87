// Asking about the screen end to end: the GTK test application in front, the
// chord held through XTest, and what the overlay page received, in order: the
// picture of the whole monitor, then the elements found on it where they
// really are. Run on a bare X server and under a compositing manager, as the
// picture the text is read from is taken differently on each.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Desktop.h"
#include "OverlayOverAWindow.h"
#include "RunningShell.h"
#include "TestApp.h"
#include "TestKeyboard.h"

namespace nimbo::test {
namespace {

struct Element {
    std::string id, role, name;
    Rect box;  // in screen pixels
};

// The elements the page listed for `capture`, from its "elements #N [[id,
// role, name, x, y, w, h], ...]" lines, with their boxes on a screen of `size`.
std::vector<Element> listed(const std::string& log, int capture, Size size) {
    std::vector<Element> elements;
    for (auto line : pageSaid(log, "elements #" + std::to_string(capture) + " ")) {
        line.erase(0, line.find('['));
        // The log writes a backslash twice; JSON's own escapes are the only ones here.
        for (auto at = line.find("\\\\"); at != std::string::npos; at = line.find("\\\\", at + 1)) line.erase(at, 1);
        for (const auto& entry : Json::parse(line)) {
            elements.push_back({entry[0],
                                entry[1],
                                entry[2],
                                {{entry[3].get<double>() * size.width, entry[4].get<double>() * size.height},
                                 {entry[5].get<double>() * size.width, entry[6].get<double>() * size.height}}});
        }
    }
    return elements;
}

const Element* named(const std::vector<Element>& elements, const std::string& role, const std::string& name) {
    auto found = std::find_if(elements.begin(), elements.end(),
                              [&](const Element& e) { return e.role == role && e.name == name; });
    return found == elements.end() ? nullptr : &*found;
}

Point centre(const Rect& r) {
    return {r.minX() + r.size.width / 2, r.minY() + r.size.height / 2};
}

bool inside(Point p, const Rect& r) {
    return p.x >= r.minX() && p.x <= r.maxX() && p.y >= r.minY() && p.y <= r.maxY();
}

// The farthest any edge of `a` is from the same edge of `b`.
double apart(const Rect& a, const Rect& b) {
    return std::max({std::abs(a.minX() - b.minX()), std::abs(a.minY() - b.minY()), std::abs(a.maxX() - b.maxX()),
                     std::abs(a.maxY() - b.maxY())});
}

std::string describe(const std::vector<Element>& elements) {
    std::string text;
    for (const auto& e : elements) {
        char box[64];
        std::snprintf(box, sizeof box, " %.0f,%.0f %.0fx%.0f", e.box.minX(), e.box.minY(), e.box.size.width,
                      e.box.size.height);
        text += "\n  " + e.id + " " + e.role + " \"" + e.name + "\"" + box;
    }
    return text;
}

// Where in the log a page first said `what`.
std::size_t firstAt(const std::string& log, const std::string& what) {
    return log.find(" " + what + " ");
}

void askAboutTheTestApplication() {
    // A wallpaper, as desktops have: the bare server's root is black.
    const Window root = DefaultRootWindow(xDisplay());
    XSetWindowBackground(xDisplay(), root, 0x3A6EA5);
    XClearWindow(xDisplay(), root);
    XSync(xDisplay(), False);
    DevServer server;
    TestApp app(300, 200);
    const auto save = app.placed("Save");
    const auto entry = app.placed("entry");
    ASSERT_TRUE(save && entry) << "the application said where its widgets are";
    RunningShell shell(server);
    ASSERT_TRUE(shell.pageSays("ready with the bridge", 30.0)) << shell.log();

    // The pointer rests on the Save button while the chord is held.
    const Point pointer = centre(*save);
    XTestFakeMotionEvent(xDisplay(), -1, static_cast<int>(pointer.x), static_cast<int>(pointer.y), CurrentTime);
    XSync(xDisplay(), False);
    TestKeyboard().chord({XK_Super_L, XK_Alt_L}, 0.6);
    ASSERT_TRUE(shell.pageSays("boxes #1", 30.0)) << shell.log();
    ASSERT_TRUE(shell.pageSays("picture #1")) << shell.log();
    const std::string log = shell.log();

    ASSERT_NE(firstAt(log, "got nimbo:elements"), std::string::npos) << log;
    EXPECT_LT(firstAt(log, "got nimbo:listen"), firstAt(log, "got nimbo:captured")) << log;
    EXPECT_LT(firstAt(log, "got nimbo:captured"), firstAt(log, "got nimbo:elements")) << log;
    EXPECT_EQ(pageLines(log, "got nimbo:cancel"), 0U) << log;

    // The whole monitor, as JPEG, with the pointer where it was.
    const Size screen{double(DisplayWidth(xDisplay(), 0)), double(DisplayHeight(xDisplay(), 0))};
    char expected[160];
    std::snprintf(expected, sizeof expected, "picture #1 %.0fx%.0f image/jpeg bounds 0,0 %.0fx%.0f cursor %g,%g",
                  screen.width, screen.height, screen.width, screen.height,
                  std::round(pointer.x / screen.width * 1e4) / 1e4, std::round(pointer.y / screen.height * 1e4) / 1e4);
    EXPECT_EQ(pageSaid(log, "picture #1"), std::vector<std::string>{expected});

    const auto elements = listed(log, 1, screen);
    ASSERT_FALSE(elements.empty()) << log;
    const Element* button = named(elements, "button", "Save");
    ASSERT_NE(button, nullptr) << describe(elements);
    EXPECT_LE(apart(button->box, *save), 4.0) << "Save is listed where it is drawn" << describe(elements);
    EXPECT_NE(named(elements, "button", "Delete account"), nullptr) << describe(elements);
    const auto field =
        std::find_if(elements.begin(), elements.end(), [](const Element& e) { return e.role == "text field"; });
    ASSERT_NE(field, elements.end()) << describe(elements);
    EXPECT_TRUE(inside(centre(field->box), *entry)) << describe(elements);

    for (const char* words : {"Account settings", "Signed in as Ada Lovelace"}) {
        EXPECT_NE(named(elements, "label", words), nullptr) << describe(elements);
    }
    // Drawn words are read off the picture where they are: the capture shows
    // the application, not black and not the overlay over it.
    const Element* drawn = named(elements, "text", "Last backup three days ago");
    ASSERT_NE(drawn, nullptr) << describe(elements);
    EXPECT_TRUE(inside(centre(drawn->box), *app.placed("drawn"))) << describe(elements);
    EXPECT_EQ(pageLines(log, "boxes #1 " + std::to_string(elements.size())), 1U) << "every element was logged";
}

TEST(AskShell, AHoldListsTheApplicationInFrontWhereItIs) {
    askAboutTheTestApplication();
}

TEST(AskShellComposited, AHoldListsTheApplicationInFrontWhereItIs) {
    const auto compositor = startCompositor();
    ASSERT_TRUE(compositor) << "xcompmgr took the compositing manager's selection";
    askAboutTheTestApplication();
}

}  // namespace
}  // namespace nimbo::test
