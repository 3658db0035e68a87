#pragma once
// Top-level windows that hold one web view each.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/WebView.h"

namespace nimbo::platform {

// Whether screenshots, recordings and screen sharing may see a window.
enum class SharingType { none, readOnly };

struct PageWindowOptions {
    Rect frame;  // bottom-left (AppKit) coordinates
    std::string title;
    bool transparent = false;  // no background, no decoration, no shadow
    // A panel that never activates the application when clicked.
    bool nonActivating = false;
    // 0 is an ordinary window; 1000 the screen-saver level above everything.
    int level = 0;
    // Collection behaviour bits: 1 all workspaces, 16 stationary, 64 out of the
    // window cycle, 256 beside full-screen windows.
    unsigned collectionBehavior = 0;
};

class PageWindow {
public:
    virtual ~PageWindow() = default;
    virtual WebView& web() = 0;
    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;
    // Shows the window in front whether or not the application is active.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    // Shows the window directly below the window `number` of this application.
    virtual void orderBelow(long number) = 0;
    virtual long windowNumber() const = 0;
    virtual void close() = 0;
    virtual bool ignoresMouse() const = 0;
    virtual void setIgnoresMouse(bool ignores) = 0;
    virtual bool isKey() const = 0;
    virtual void makeKey() = 0;
    virtual void resignKey() = 0;
    virtual void setSharingType(SharingType type) = 0;
    virtual SharingType sharingType() const = 0;
    // Ordered in, whether or not anything covers it.
    virtual bool isVisible() const = 0;
    // Minimised out of sight.
    virtual bool isMiniaturized() const = 0;
    // Some of it can be seen on screen now.
    virtual bool isOnScreenVisible() const = 0;
    // Told of a left mouse-down before the page gets it, with the point in
    // window coordinates (origin bottom-left).
    virtual void setMouseDownHandler(std::function<void(Point)> handler) = 0;
};

class Windows {
public:
    virtual ~Windows() = default;
    virtual std::shared_ptr<PageWindow> makePageWindow(const PageWindowOptions& options) = 0;
    // This application's window numbers, front to back.
    virtual std::vector<long> windowNumbers() const = 0;
    virtual void setArrowCursor() = 0;
};

}  // namespace nimbo::platform
