#pragma once
// The accessibility walk of the front windows, fitted to the text recognised
// in a screenshot: the numbered targets a page may point at. A namespace of
// static operations over shared state, as every caller asks about the one
// desktop. All rectangles are global top-left points.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/Images.h"
#include "platform/Json.h"

namespace nimbo::platform {
class Platform;
}

namespace nimbo::Elements {

// One walked control.
struct Node {
    std::string role;
    std::optional<std::string> subrole;
    std::string name;
    // Where it is on screen; the fit to recognised text may move it.
    Rect rect;
    platform::AXRef ax;
    // The frame as accessibility reported it.
    std::optional<Rect> axFrame;
};

// One walked surface: the menu bar, the open menu or an application window.
struct Window {
    Rect frame;
    std::vector<Node> nodes;
    // Menus: their frames come straight from accessibility and are never refitted.
    bool trusted = false;
};

struct Walked {
    std::vector<Window> windows;
    // Every visible window of other processes, front to back.
    std::vector<Rect> surfaces;
};

// One recognised line of text.
struct Line {
    std::string text;
    Rect rect;
};

// What is kept of a listed target to act on it later.
struct Target {
    platform::AXRef ax;
    std::optional<Rect> axFrame;
    // On screen after correction, not clipped to the display.
    Rect rect;
    std::string role;
    std::string name;
};

// The desktop every operation reads; set once at start-up (tests: the sim).
// Forgets the cached applications, early walks and remembered targets.
void attach(platform::Platform& platform);
// The desktop is going away: nothing may read it any more.
void detach(const platform::Platform& platform);

// Loads text recognition ahead of the first ask, in the background.
void warm();
// Wakes the front application's tree in the background before a walk needs it.
void touch();
// A hold began on the display at `bounds`: its walk starts now in the background.
void prepare(const Rect& bounds);
// The early walk of the current hold, when it is still good for `bounds`; always spent.
std::optional<Walked> takeEarly(const Rect& bounds);
// The walk a release uses: the early one, a moment's wait for the one under
// way, or a fresh walk.
Walked walkFor(const Rect& bounds);
// The early walk is not wanted after all.
void discardEarly();

// Menus and the topmost application windows on the display at `bounds`.
Walked walkWindows(const Rect& bounds);
// The controls under `root` inside `clip`, within `budget` seconds.
std::vector<Node> walk(const platform::AXRef& root, const Rect& clip, double budget);

// The element maps of one screenshot of the display at `bounds`; remembered
// under `capture` when given. Slow: call off the main thread.
Json build(const platform::Image& image, const Rect& bounds, std::optional<int> capture);
// A target listed for one of the last three captures.
std::optional<Target> target(int capture, const std::string& id);
// The recognised lines of a screenshot of the display at `bounds`.
std::vector<Line> recognise(const platform::Image& image, const Rect& bounds);

// The web address of the front application's document, when it has one.
std::optional<std::string> frontDocument();
// {"name", "role"} of the named control under the pointer.
MaybeJson atPointer();
// The process of the frontmost window of another process holding `point`.
std::optional<int> windowOwner(Point point);

// Shared reads, also used to act on targets and to read menus and pages.
// The cached application element of a process (null when there is none).
platform::AXRef axApp(int pid);
// An application's windows that report a frame.
std::vector<std::pair<platform::AXRef, Rect>> axWindows(int pid);
// One entry per name, empty for what can't be read (all empty on failure).
std::vector<platform::AXValue> many(const platform::AXRef& element, const std::vector<std::string>& names);
// The elements in a list value; nothing for any other value.
std::vector<platform::AXRef> children(const platform::AXValue& value);
// A text value trimmed and cut to 160 characters; nothing when empty or not text.
std::optional<std::string> str(const platform::AXValue& value);
std::optional<Rect> frameOf(const platform::AXRef& element);

}  // namespace nimbo::Elements
