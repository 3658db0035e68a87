#include "platform/linux/x11/XTestInput.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cmath>

#include "platform/linux/x11/FocusedWindow.h"
#include "platform/linux/x11/KeyCodes.h"
#include "platform/linux/x11/ModifierKeys.h"
#include "platform/linux/x11/Terminals.h"
#include "platform/linux/x11/XInputMouseMonitors.h"

namespace nimbo::x11 {
namespace {

constexpr int kVirtualV = 9;
constexpr unsigned kLeftButton = 1;

// The physical button that the pointer mapping makes the left one (the
// right-hand button of a left-handed mouse). XTest presses physical buttons.
unsigned physicalLeftButton(Display* display) {
    unsigned char map[256] = {};
    const int count = XGetPointerMapping(display, map, sizeof map);
    for (int i = 0; i < count; ++i)
        if (map[i] == kLeftButton) return static_cast<unsigned>(i + 1);
    return kLeftButton;
}

// The key that types "v" in the keyboard's layout, so that the paste
// shortcut is the one applications look for (on a Dvorak layout it is not
// the key where a US keyboard has its V).
int pasteKeyCode(Display* display) {
    const KeyCode code = XKeysymToKeycode(display, XK_v);
    const int virtualCode = code != 0 ? virtualKeyCode(code) : -1;
    return virtualCode >= 0 ? virtualCode : kVirtualV;
}

}  // namespace

XTestInput::~XTestInput() {
    if (connection_) connection_->close();
}

Display* XTestInput::display() {
    if (connection_ && connection_->alive()) return connection_->display();
    if (connection_) connection_->close();
    connection_ = XConnection::open([](XEvent&) {});
    if (!connection_) return nullptr;
    int firstEvent = 0, firstError = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(connection_->display(), &firstEvent, &firstError, &major, &minor)) {
        connection_->close();
        connection_.reset();
        return nullptr;
    }
    return connection_->display();
}

void XTestInput::click(Point point) {
    Display* x = display();
    if (!x) return;
    const unsigned button = physicalLeftButton(x);
    XWarpPointer(x, None, connection_->root(), 0, 0, 0, 0, static_cast<int>(std::lround(point.x)),
                 static_cast<int>(std::lround(point.y)));
    clickWatcher_.expectOwnPress();
    XTestFakeButtonEvent(x, button, True, CurrentTime);
    XTestFakeButtonEvent(x, button, False, CurrentTime);
    // Processed before anything the shell sends next on another connection
    // (the keys typed into the box it clicked).
    XSync(x, False);
}

std::optional<Point> XTestInput::pointer() {
    Display* x = display();
    if (!x) return std::nullopt;
    Window root = None, child = None;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned state = 0;
    if (!XQueryPointer(x, connection_->root(), &root, &child, &rootX, &rootY, &windowX, &windowY, &state))
        return std::nullopt;  // on another screen of the display
    return Point{static_cast<double>(rootX), static_cast<double>(rootY)};
}

void XTestInput::warp(Point point) {
    Display* x = display();
    if (!x) return;
    XWarpPointer(x, None, connection_->root(), 0, 0, 0, 0, static_cast<int>(std::lround(point.x)),
                 static_cast<int>(std::lround(point.y)));
    XSync(x, False);
}

void XTestInput::key(int keyCode, std::uint64_t flags, std::int64_t marker) {
    keys_.postKey(keyCode, true, flags, marker);
    keys_.postKey(keyCode, false, flags, marker);
}

void XTestInput::paste(std::int64_t marker) {
    Display* x = display();
    if (!x) return;
    const auto focused = focusedWindowClass(x);
    const std::uint64_t flags = kControlFlag | (focused && isTerminal(*focused) ? kShiftFlag : 0);
    key(pasteKeyCode(x), flags, marker);
}

}  // namespace nimbo::x11
