#include "platform/linux/x11/TopLevels.h"

namespace nimbo::x11 {

std::vector<Window> rootChildren(Display* display, Window root) {
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> list;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) && children) {
        list.assign(children, children + count);
        XFree(children);
    }
    return list;
}

std::optional<TopLevel> describe(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
    TopLevel top;
    top.id = window;
    top.x = attributes.x;
    top.y = attributes.y;
    top.width = attributes.width;
    top.height = attributes.height;
    top.border = attributes.border_width;
    top.depth = attributes.depth;
    top.visual = attributes.visual;
    top.shown = attributes.map_state == IsViewable && attributes.c_class == InputOutput;
    return top;
}

std::optional<Window> topLevelHolding(Display* display, Window root, Window window) {
    // A window manager nests a client one or two levels deep; the bound only
    // guards against a tree that changes under the walk.
    for (int depth = 0; depth < 16 && window != 0 && window != root; ++depth) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count)) return std::nullopt;
        if (children) XFree(children);
        if (parent == root) return window;
        window = parent;
    }
    return std::nullopt;
}

}  // namespace nimbo::x11
