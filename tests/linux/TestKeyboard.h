#pragma once
// The key tests' own X client, separate from the backend's connections: it
// types through XTest as a user would, owns a plain window with the focus to
// see which keys reach applications, and can grab keys or drop other clients.
#include <X11/Xlib.h>

#include <vector>

namespace nimbo::test {

class TestKeyboard {
public:
    TestKeyboard();
    ~TestKeyboard();
    TestKeyboard(const TestKeyboard&) = delete;
    TestKeyboard& operator=(const TestKeyboard&) = delete;

    Display* display() const { return display_; }
    KeyCode code(KeySym symbol) const;
    void press(KeySym symbol);
    void release(KeySym symbol);
    void tap(KeySym symbol);
    // Presses the keys in order and releases them in reverse, after holding
    // them `seconds` on the main loop when asked.
    void chord(const std::vector<KeySym>& symbols, double seconds = 0);

    // Maps a window and gives it the keyboard focus (there is no window manager).
    void focusWindow();
    // Key codes of the presses and releases the window has received so far.
    std::vector<KeyCode> windowPresses();
    std::vector<KeyCode> windowReleases();

    // The resource bases of the clients connected now.
    std::vector<unsigned long> clients() const;
    // Drops a client's connection, as xkill does.
    void kill(unsigned long clientBase);

private:
    void readWindowEvents();
    Display* display_ = nullptr;
    Window window_ = 0;
    std::vector<KeyCode> presses_, releases_;
};

}  // namespace nimbo::test
