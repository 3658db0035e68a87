#pragma once
// Top-level windows that hold one web view each.
#include <memory>
#include <string>

#include "platform/Geometry.h"
#include "platform/WebView.h"

namespace nimbo::platform {

struct PageWindowOptions {
    Rect frame;  // bottom-left (AppKit) coordinates
    std::string title;
    bool transparent = false;  // no background, no decoration
};

class PageWindow {
public:
    virtual ~PageWindow() = default;
    virtual WebView& web() = 0;
    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;
    virtual void orderFront() = 0;
    virtual void close() = 0;
    virtual bool ignoresMouse() const = 0;
    virtual void setIgnoresMouse(bool ignores) = 0;
    virtual bool isKey() const = 0;
    virtual void makeKey() = 0;
    virtual void resignKey() = 0;
};

class Windows {
public:
    virtual ~Windows() = default;
    virtual std::shared_ptr<PageWindow> makePageWindow(const PageWindowOptions& options) = 0;
};

}  // namespace nimbo::platform
