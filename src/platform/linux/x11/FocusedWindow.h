#pragma once
// Which application's window the keyboard types into: the top-level window
// holding the X input focus, or the one under the pointer when the focus
// follows the pointer, told by its WM_CLASS.
#include <X11/Xlib.h>

#include <optional>
#include <string>

namespace nimbo::x11 {

struct WindowClass {
    std::string instance;  // the first WM_CLASS string (often the program's name)
    std::string name;      // the second, the application class
};

// The WM_CLASS of the window that gets typed keys; absent when no window
// with one has the focus.
std::optional<WindowClass> focusedWindowClass(Display* display);

// A window's WM_CLASS; absent when it has none.
std::optional<WindowClass> windowClass(Display* display, Window window);

}  // namespace nimbo::x11
