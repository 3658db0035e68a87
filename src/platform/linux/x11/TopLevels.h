#pragma once
// The root window's children as the server stacks them: the windows (or the
// window manager's frames around them) that make up the screen.
#include <X11/Xlib.h>

#include <optional>
#include <vector>

namespace nimbo::x11 {

struct TopLevel {
    Window id = 0;
    // The outer corner in root coordinates, the inside size, the border.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int border = 0;
    int depth = 0;
    Visual* visual = nullptr;
    bool shown = false;  // viewable and able to show pixels (not input-only)

    int outerWidth() const { return width + 2 * border; }
    int outerHeight() const { return height + 2 * border; }
};

// The root's children from the bottom of the stack to the top.
std::vector<Window> rootChildren(Display* display, Window root);

// A child's place, size and whether it shows; absent once it is gone.
std::optional<TopLevel> describe(Display* display, Window window);

// The root's child that is `window` or holds it (a frame); absent when the
// window is gone or is the root itself.
std::optional<Window> topLevelHolding(Display* display, Window root, Window window);

}  // namespace nimbo::x11
