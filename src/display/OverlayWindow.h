#pragma once
// An overlay's window: click-through at rest, key only while it takes the
// mouse, and it remembers the last real click so a scripted one can be told apart.
#include <memory>
#include <optional>

#include "platform/Platform.h"

namespace nimbo {

class OverlayWindow : public std::enable_shared_from_this<OverlayWindow> {
public:
    struct MouseDown {
        double time = 0;  // the platform clock's seconds
        Point point;      // window coordinates
    };

    // Wraps `page` and starts watching its left mouse-downs.
    static std::shared_ptr<OverlayWindow> make(platform::Platform& platform,
                                               std::shared_ptr<platform::PageWindow> page);

    platform::PageWindow& page() { return *page_; }
    const platform::PageWindow& page() const { return *page_; }

    std::optional<MouseDown> lastMouseDown;
    // Takes the last click so that one click is used once.
    std::optional<MouseDown> consumeMouseDown();

    // Only a window that takes the mouse may take the keyboard.
    bool canBecomeKey() const { return !page_->ignoresMouse(); }
    // A left mouse-down reached the window (before the page sees it).
    void mouseDown(Point point);
    // Gives key status away without changing what the user sees.
    void handBackKeyboard();

private:
    OverlayWindow(platform::Platform& platform, std::shared_ptr<platform::PageWindow> page);

    platform::Platform& platform_;
    std::shared_ptr<platform::PageWindow> page_;
};

}  // namespace nimbo
