#pragma once
// Moving the content of the application in front, through its scroll bars'
// accessibility values and never by synthetic wheel events. Both operations
// block while they talk to the other application: call them off the main
// thread. Neither keeps anything between calls.
#include <optional>
#include <string>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Application.h"
#include "platform/Geometry.h"

namespace nimbo::AutoScroll {

// What a scroll came to; `why` says what stood in the way when it failed,
// in words a page can show as they are.
struct Result {
    bool ok = false;
    std::optional<std::string> why;
    bool operator==(const Result&) const = default;
};

// Moves the front window's main scroll area down by `pages` visible heights.
Result down(double pages);

// The reads both operations share. Each counts a failed read, or a value of
// another type, as absent.
// The largest scroll area of `window`, preferring the one under its centre.
platform::AXRef scrollArea(const platform::AXRef& window, int pid);
// A size attribute's width and height; zero when absent.
Size size(const platform::AXRef& element);
// From "AXPosition" and "AXSize"; nothing without a position.
std::optional<Rect> frame(const platform::AXRef& element);
std::optional<std::string> role(const platform::AXRef& element);
std::vector<platform::AXRef> children(const platform::AXRef& element);

// Also shared: the application in front when it is another process's, and
// the answers both give alike.
std::optional<platform::RunningApp> otherFront();
// The focused window of an application element, else its main window.
platform::AXRef frontWindow(const platform::AXRef& application);
Result failed(std::string why);
// The answer to setting a scroll bar's value.
Result moved(platform::AXError error);
extern const char* const kNoOtherApp;
extern const char* const kNoScrollBar;
extern const char* const kBarNotMovable;

}  // namespace nimbo::AutoScroll
