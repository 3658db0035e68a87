#pragma once
// A plain X window of another client, to stand for the application under the
// shell's windows: it counts the button presses the server gives it.
#include <X11/Xlib.h>

#include <utility>

namespace nimbo::test {

class ProbeWindow {
public:
    // Asks to be mapped at the root rectangle, in front of what is on screen now,
    // filled with `colour` (0xRRGGBB); a window manager may frame it and map it
    // a little later.
    ProbeWindow(int x, int y, int width, int height, unsigned long colour = 0);
    ~ProbeWindow();
    ProbeWindow(const ProbeWindow&) = delete;
    ProbeWindow& operator=(const ProbeWindow&) = delete;

    bool shown();
    // Where its top-left corner is on the root window (below a frame's title bar, say).
    std::pair<int, int> rootOrigin();
    // Presses received so far (reads what the server has sent).
    int presses();
    Window window() const { return window_; }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    int presses_ = 0;
};

// A click at a root point (the left button unless told), as the user's mouse would make it.
void clickAt(int x, int y, unsigned button = 1);

}  // namespace nimbo::test
