#pragma once
// The shell's one ordinary window: titled, resizable, able to go full screen,
// holding one web view. Closing it only asks; the core decides.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Windows.h"

namespace nimbo::platform {

struct ControlWindowOptions {
    std::string title;
    Size contentSize;
    Size minimumSize;
    // The page draws its own title area: no title text, a see-through title bar.
    bool titleHidden = false;
    // The window is centred, then a frame saved under this name takes over.
    std::string frameAutosaveName{};
    // Joined to the web view's user agent.
    std::string applicationName{};
};

enum class FullScreenChange { willEnter, didEnter, willExit, didExit, didFailToEnter, didFailToExit };

// The application's current mouse event, as far as the window's rules need it.
enum class MouseEventKind { none, leftMouseDown, leftMouseDragged, other };

class ControlWindow {
public:
    virtual ~ControlWindow() = default;
    // The window as every page window is: web view, order, key, sharing type.
    virtual PageWindow& page() = 0;
    virtual bool isVisible() const = 0;
    // Brings the application forward, even past the one the user is in.
    virtual void activate() = 0;
    virtual bool isFullScreen() const = 0;
    virtual void toggleFullScreen() = 0;
    virtual void setFullScreenHandler(std::function<void(FullScreenChange)> handler) = 0;
    // Asked when the user closes the window; answering false keeps it.
    virtual void setShouldClose(std::function<bool()> handler) = 0;

    // The current event, when it belongs to this window; none otherwise.
    virtual MouseEventKind currentMouseEvent() const = 0;
    virtual bool leftMouseButtonPressed() const = 0;
    // Moves the window with the mouse, from the current event on.
    virtual void performDrag() = 0;
    virtual void miniaturize() = 0;
    virtual void zoom() = 0;
    // The desktop's setting for a double click on a title bar: "Minimize",
    // "None", "Maximize", or absent when the desktop has none.
    virtual std::optional<std::string> titleBarDoubleClickAction() const = 0;

    // Stops the page's microphone capture and pauses every media element.
    virtual void muteMedia() = 0;
    // Dialogs attached to the window; each calls `done` once.
    virtual void runAlert(const std::string& message, std::function<void()> done) = 0;
    virtual void runConfirm(const std::string& message, std::function<void(bool)> done) = 0;
    virtual void runOpenPanel(const FileChooserRequest& request,
                              std::function<void(std::vector<std::string>)> done) = 0;
};

class ControlWindows {
public:
    virtual ~ControlWindows() = default;
    // Null when the desktop can't show such a window.
    virtual std::shared_ptr<ControlWindow> make(const ControlWindowOptions& options) = 0;
};

}  // namespace nimbo::platform
