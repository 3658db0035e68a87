#include "ProbeWindow.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include <stdexcept>

namespace nimbo::test {

ProbeWindow::ProbeWindow(int x, int y, int width, int height, unsigned long colour) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) throw std::runtime_error("the probe cannot open the display");
    XSetWindowAttributes attributes{};
    attributes.event_mask = ButtonPressMask;
    // The desktop's default visual is 24-bit true colour: a pixel is 0xRRGGBB.
    attributes.background_pixel = colour;

    window_ = XCreateWindow(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWEventMask | CWBackPixel, &attributes);
    // A window manager honours a position the user asked for.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x;
    hints.y = y;
    hints.width = width;
    hints.height = height;
    XSetWMNormalHints(display_, window_, &hints);
    XStoreName(display_, window_, "probe");
    XMapRaised(display_, window_);
    XSync(display_, False);  // mapped before anything the test shows next
}

ProbeWindow::~ProbeWindow() {
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

bool ProbeWindow::shown() {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, window_, &attributes);
    return attributes.map_state == IsViewable;
}

std::pair<int, int> ProbeWindow::rootOrigin() {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y};
}

int ProbeWindow::presses() {
    XEvent event;
    while (XCheckTypedWindowEvent(display_, window_, ButtonPress, &event)) ++presses_;
    return presses_;
}

void clickAt(int x, int y, unsigned button) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XFlush(display);
}

}  // namespace nimbo::test
