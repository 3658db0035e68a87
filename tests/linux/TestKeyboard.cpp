#include "TestKeyboard.h"

#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>

#include <stdexcept>

#include "Desktop.h"

namespace nimbo::test {

TestKeyboard::TestKeyboard() : display_(XOpenDisplay(nullptr)) {
    if (!display_) throw std::runtime_error("cannot open the display");
}

TestKeyboard::~TestKeyboard() {
    XCloseDisplay(display_);
}

KeyCode TestKeyboard::code(KeySym symbol) const {
    return XKeysymToKeycode(display_, symbol);
}

void TestKeyboard::press(KeySym symbol) {
    XTestFakeKeyEvent(display_, code(symbol), True, CurrentTime);
    XFlush(display_);
}

void TestKeyboard::release(KeySym symbol) {
    XTestFakeKeyEvent(display_, code(symbol), False, CurrentTime);
    XFlush(display_);
}

void TestKeyboard::tap(KeySym symbol) {
    press(symbol);
    release(symbol);
}

void TestKeyboard::chord(const std::vector<KeySym>& symbols, double seconds) {
    for (KeySym symbol : symbols) press(symbol);
    if (seconds > 0) runFor(seconds);
    for (auto it = symbols.rbegin(); it != symbols.rend(); ++it) release(*it);
}

void TestKeyboard::focusWindow() {
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 20, 20, 200, 100, 0, 0, 0);
    XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapWindow(display_, window_);
    XFlush(display_);
    bool mapped = false;
    waitUntil([&] {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            mapped = mapped || event.type == MapNotify;
        }
        return mapped;
    });
    XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
}

void TestKeyboard::readWindowEvents() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == KeyPress) presses_.push_back(static_cast<KeyCode>(event.xkey.keycode));
        if (event.type == KeyRelease) releases_.push_back(static_cast<KeyCode>(event.xkey.keycode));
    }
}

std::vector<KeyCode> TestKeyboard::windowPresses() {
    readWindowEvents();
    return presses_;
}

std::vector<KeyCode> TestKeyboard::windowReleases() {
    readWindowEvents();
    return releases_;
}

std::vector<unsigned long> TestKeyboard::clients() const {
    int count = 0;
    XResClient* clients = nullptr;
    XResQueryClients(display_, &count, &clients);
    std::vector<unsigned long> bases;
    bases.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) bases.push_back(clients[i].resource_base);
    if (clients) XFree(clients);
    return bases;
}

void TestKeyboard::kill(unsigned long clientBase) {
    // Xlib's first resource of a connection, its default GC, sits at the base.
    XKillClient(display_, clientBase);
    XSync(display_, False);
}

}  // namespace nimbo::test
