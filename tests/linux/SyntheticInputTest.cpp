// The shell's own input through XTest: a click reaches the control under it
// and is not taken for the user's, the pointer goes where it is put, and the
// paste keystroke carries the marker and pastes the clipboard, with
// Ctrl+Shift+V where a terminal has the focus.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cmath>
#include <utility>

#include "Desktop.h"
#include "ProbeWindow.h"
#include "ScreenShot.h"
#include "TestApp.h"
#include "platform/linux/x11/FocusedWindow.h"
#include "platform/linux/x11/ModifierKeys.h"

namespace nimbo::test {
namespace {

constexpr std::int64_t kMarker = 0x6E696D626F;

Point centre(const Rect& rect) {
    return {std::floor((rect.minX() + rect.maxX()) / 2), std::floor((rect.minY() + rect.maxY()) / 2)};
}

// A top-level window of another client with a WM_CLASS; a window inside it
// holds the keyboard focus and hears the keys typed.
class ClassedWindow {
public:
    ClassedWindow() : display_(XOpenDisplay(nullptr)) {
        top_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 600, 400, 200, 100, 0, 0, 0);
        inner_ = XCreateSimpleWindow(display_, top_, 10, 10, 50, 50, 0, 0, 0);
        XSelectInput(display_, inner_, KeyPressMask);
        XMapSubwindows(display_, top_);
        XMapWindow(display_, top_);
        waitUntil([&] {
            XWindowAttributes attributes;
            return XGetWindowAttributes(display_, inner_, &attributes) && attributes.map_state == IsViewable;
        });
        XSetInputFocus(display_, inner_, RevertToPointerRoot, CurrentTime);
        XSync(display_, False);
    }
    ~ClassedWindow() { XCloseDisplay(display_); }
    ClassedWindow(const ClassedWindow&) = delete;
    ClassedWindow& operator=(const ClassedWindow&) = delete;

    void setClass(const char* instance, const char* name) {
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(name)};
        XSetClassHint(display_, top_, &hint);
        XSync(display_, False);
    }
    // The modifiers held for the next V typed into it; absent when none came.
    std::optional<unsigned> nextV() {
        const KeyCode v = XKeysymToKeycode(display_, XK_v);
        std::optional<unsigned> state;
        waitUntil([&] {
            while (!state && XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == KeyPress && event.xkey.keycode == v) state = event.xkey.state;
            }
            return state.has_value();
        });
        return state;
    }

private:
    Display* display_ = nullptr;
    Window top_ = 0, inner_ = 0;
};

}  // namespace

TEST(SyntheticInput, AClickReachesTheButtonAndIsNotTakenForTheUsers) {
    TestApp app;
    const auto save = app.placed("Save");
    ASSERT_TRUE(save);
    int userPresses = 0;
    auto monitor = desktop().mouseMonitors().addGlobalMouseDownMonitor([&] { ++userPresses; });
    ASSERT_TRUE(monitor);

    auto& input = desktop().syntheticInput();
    input.warp({700, 600});
    const auto before = input.pointer();
    EXPECT_EQ(before, (Point{700, 600}));
    input.click(centre(*save));
    ASSERT_TRUE(waitUntil([&] { return app.said("clicked Save"); }));
    EXPECT_EQ(input.pointer(), centre(*save));
    input.warp(*before);
    EXPECT_EQ(input.pointer(), before);

    // The user's press after it is heard; the shell's own was not.
    clickAt(900, 700);
    ASSERT_TRUE(waitUntil([&] { return userPresses >= 1; }));
    runFor(0.2);
    EXPECT_EQ(userPresses, 1);

    // With a left-handed mouse the left button is the physical right one.
    unsigned char map[256] = {};
    const int buttons = XGetPointerMapping(xDisplay(), map, sizeof map);
    ASSERT_GE(buttons, 3);
    std::swap(map[0], map[2]);
    ASSERT_EQ(XSetPointerMapping(xDisplay(), map, buttons), MappingSuccess);
    input.click(centre(*save));
    EXPECT_TRUE(waitUntil([&] { return app.said("clicked Save\nclicked Save"); }));
    std::swap(map[0], map[2]);
    XSetPointerMapping(xDisplay(), map, buttons);
    EXPECT_EQ(userPresses, 1);
    monitor->cancel();
}

TEST(SyntheticInput, PasteInsertsTheClipboardIntoTheFocusedEntry) {
    TestApp app;
    std::vector<platform::TapEvent> downs;
    auto tap =
        desktop().keyTaps().listenOnly(1U << 10, [&](const platform::TapEvent& event) { downs.push_back(event); });
    ASSERT_TRUE(tap);

    auto& input = desktop().syntheticInput();
    input.click(centre(*app.placed("entry")));
    ASSERT_TRUE(desktop().pasteboard().setString("pasted by the shell"));
    input.paste(kMarker);
    auto& accessibility = desktop().accessibility();
    const auto root = app.element(accessibility);
    EXPECT_TRUE(waitUntil([&] {
        const Seen* field = find(walkAll(accessibility, root), "AXTextField");
        return field && field->value == platform::AXValue{std::string("pasted by the shell")};
    }));
    ScreenShot::of(0, 0, 700, 500).keep("paste-into-entry");
    ASSERT_EQ(downs.size(), 1U) << "the modifiers ride on the V";
    EXPECT_EQ(downs[0].keyCode, 9);
    EXPECT_EQ(downs[0].userData, kMarker);
    EXPECT_EQ(downs[0].flags & (x11::kControlFlag | x11::kShiftFlag), x11::kControlFlag);
}

TEST(SyntheticInput, TerminalsPasteWithCtrlShiftV) {
    ClassedWindow window;
    auto& input = desktop().syntheticInput();
    input.warp({1500, 900});  // away from it: the focus decides
    struct Case {
        const char* instance;
        const char* name;
        bool terminal;
    };
    for (const Case& each : {Case{"gedit", "Gedit", false}, Case{"xterm", "XTerm", true},
                             Case{"gnome-terminal-server", "Gnome-terminal", true}, Case{"kitty", "kitty", true},
                             Case{"urxvt", "URxvt", true}, Case{"code", "Code", false}}) {
        window.setClass(each.instance, each.name);
        input.paste(kMarker);
        const auto state = window.nextV();
        ASSERT_TRUE(state) << each.instance;
        EXPECT_EQ(*state & (ControlMask | ShiftMask), each.terminal ? ControlMask | ShiftMask : ControlMask)
            << each.instance;
    }
}

TEST(SyntheticInput, XtermPastesTheClipboard) {
    TempDir folder;
    const std::string got = folder.path() + "/got";
    // xterm binds no key to the CLIPBOARD by default; this one pastes on
    // Ctrl+Shift+V as other terminals do, and sends Ctrl+V to the program.
    Child xterm({"xterm", "-geometry", "60x5+40+40", "-xrm",
                 "*VT100.translations: #override Ctrl Shift <Key>V: insert-selection(CLIPBOARD)", "-e", "sh", "-c",
                 "stty raw -echo; head -c 16 > " + got},
                {}, "");
    auto& input = desktop().syntheticInput();
    // Without a window manager the keyboard follows the pointer.
    input.warp({120, 70});
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto focused = x11::focusedWindowClass(xDisplay());
            return focused && focused->name == "XTerm" && g_file_test(got.c_str(), G_FILE_TEST_EXISTS);
        },
        20.0));
    ASSERT_TRUE(desktop().pasteboard().setString("echo from nimbo!"));
    input.paste(kMarker);
    EXPECT_TRUE(waitUntil([&] { return readFile(got) == "echo from nimbo!"; })) << readFile(got);
}

}  // namespace nimbo::test
