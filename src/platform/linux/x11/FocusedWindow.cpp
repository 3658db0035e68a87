#include "platform/linux/x11/FocusedWindow.h"

#include <X11/Xatom.h>

#include "platform/linux/x11/XProperties.h"

namespace nimbo::x11 {
namespace {

// Window managers nest clients in a frame or two; toolkits nest their own
// windows a few deep.
constexpr int kDeepestNesting = 16;

// Down from `window` through the child holding the pointer at each level:
// the first window with a class.
std::optional<WindowClass> classUnderPointer(Display* display, Window window) {
    for (int depth = 0; depth < kDeepestNesting; ++depth) {
        Window root = None, child = None;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned state = 0;
        if (!XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &state) || child == None)
            return std::nullopt;
        if (auto found = windowClass(display, child)) return found;
        window = child;
    }
    return std::nullopt;
}

// Up from `window` (itself first) to below the root: the first window with a class.
std::optional<WindowClass> classHolding(Display* display, Window window) {
    const Window root = DefaultRootWindow(display);
    for (int depth = 0; depth < kDeepestNesting && window != None && window != root; ++depth) {
        if (auto found = windowClass(display, window)) return found;
        Window rootReturn = None, parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count)) return std::nullopt;
        if (children) XFree(children);
        window = parent;
    }
    return std::nullopt;
}

}  // namespace

std::optional<WindowClass> windowClass(Display* display, Window window) {
    const std::string text = textProperty(display, window, XA_WM_CLASS, XA_STRING);
    if (text.empty()) return std::nullopt;
    // Two strings, each ending in a NUL.
    const std::size_t end = text.find('\0');
    WindowClass found{text.substr(0, end), {}};
    if (end != std::string::npos) {
        const std::string rest = text.substr(end + 1);
        found.name = rest.substr(0, rest.find('\0'));
    }
    return found;
}

std::optional<WindowClass> focusedWindowClass(Display* display) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None) return std::nullopt;  // typed keys are dropped
    // The server gives a key to the window under the pointer when that lies
    // inside the focus window (anywhere, when the focus follows the pointer),
    // else to the focus window itself.
    const Window within = focus == PointerRoot ? DefaultRootWindow(display) : focus;
    if (auto found = classUnderPointer(display, within)) return found;
    return classHolding(display, within);
}

}  // namespace nimbo::x11
