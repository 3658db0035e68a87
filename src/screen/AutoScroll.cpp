#include "screen/AutoScroll.h"

#include <algorithm>
#include <functional>

#include "screen/Desktop.h"
#include "screen/Elements.h"

namespace nimbo::AutoScroll {

const char* const kNoOtherApp = "no other app in front";
const char* const kNoScrollBar = "its content has no scroll bar nimbo can move";
const char* const kBarNotMovable = "its scroll bar cannot be moved from outside";

namespace {

// How far up from the element under the window's centre its scroll area may be.
constexpr int kClimb = 20;
// How deep the walk for the largest scroll area goes when the centre tells nothing.
constexpr int kDeepest = 10;
// A bar this close to its end counts as at the end.
constexpr double kAtEnd = 0.999;
// Toolkits stop shrinking a knob at about this many points; a knob this
// small says less about the content than its size suggests.
constexpr double kSmallestKnob = 26;
constexpr double kKnobFloor = 0.05;
// Without a knob, a quarter of the range per page.
constexpr double kNoKnobShare = 0.2;
constexpr double kLeastStep = 0.01;

platform::Accessibility& ax() {
    return Elements::detail::desktop()->accessibility();
}

std::optional<platform::AXValue> read(const platform::AXRef& element, const std::string& name) {
    if (!element || !Elements::detail::desktop()) return std::nullopt;
    return ax().copy(element, name);
}

platform::AXRef elementOf(const platform::AXRef& element, const std::string& name) {
    auto value = read(element, name);
    const auto* found = value ? std::get_if<platform::AXRef>(&*value) : nullptr;
    return found ? *found : nullptr;
}

std::string appName(const platform::RunningApp& app) {
    return app.name.empty() ? "the app in front" : app.name;
}

platform::AXRef climbToArea(platform::AXRef element) {
    for (int seen = 0; element && seen < kClimb; ++seen) {
        if (role(element) == "AXScrollArea") return element;
        element = elementOf(element, "AXParent");
    }
    return nullptr;
}

platform::AXRef largestArea(const platform::AXRef& window) {
    platform::AXRef best;
    double bestArea = 0;
    std::function<void(const platform::AXRef&, int)> visit = [&](const platform::AXRef& element, int depth) {
        if (role(element) == "AXScrollArea") {
            auto extent = size(element);
            if (extent.width * extent.height > bestArea) {
                best = element;
                bestArea = extent.width * extent.height;
            }
        }
        if (depth >= kDeepest) return;
        for (const auto& child : children(element)) visit(child, depth + 1);
    };
    visit(window, 0);
    return best;
}

// The share of the bar's range one page is, from what the area shows of
// its content, else from the knob's share of the bar.
double step(double pages, const platform::AXRef& area, const platform::AXRef& bar) {
    const double shown = size(area).height;
    std::optional<double> tallest;
    for (const auto& child : children(area)) {
        if (role(child) == "AXScrollBar") continue;
        tallest = std::max(tallest.value_or(0), size(child).height);
    }
    double step = pages * kNoKnobShare / (1 - kNoKnobShare);
    if (tallest && *tallest > shown + 1) {
        step = pages * shown / (*tallest - shown);
    } else {
        auto parts = children(bar);
        auto knob = std::find_if(parts.begin(), parts.end(),
                                 [](const platform::AXRef& part) { return role(part) == "AXValueIndicator"; });
        if (knob != parts.end()) {
            const double knobHeight = size(*knob).height;
            const double share = knobHeight / std::max(size(bar).height, 1.0);
            if (knobHeight <= kSmallestKnob && share > kKnobFloor) {
                step = pages * kKnobFloor / (1 - kKnobFloor);
            } else {
                step = pages * share / std::max(1 - share, kKnobFloor);
            }
        }
    }
    return std::max(step, kLeastStep);
}

}  // namespace

Result failed(std::string why) {
    return {false, std::move(why)};
}

Result moved(platform::AXError error) {
    if (error == platform::AXError::success) return {true, std::nullopt};
    return failed("the app refused the scroll (" + std::to_string(static_cast<int>(error)) + ")");
}

Size size(const platform::AXRef& element) {
    auto value = read(element, "AXSize");
    const auto* extent = value ? std::get_if<Size>(&*value) : nullptr;
    return extent ? *extent : Size{};
}

std::optional<Rect> frame(const platform::AXRef& element) {
    auto value = read(element, "AXPosition");
    const auto* position = value ? std::get_if<Point>(&*value) : nullptr;
    if (!position) return std::nullopt;
    return Rect{*position, size(element)};
}

std::optional<std::string> role(const platform::AXRef& element) {
    auto value = read(element, "AXRole");
    if (!value) return std::nullopt;
    return Elements::str(*value);
}

std::vector<platform::AXRef> children(const platform::AXRef& element) {
    auto value = read(element, "AXChildren");
    if (!value) return {};
    return Elements::children(*value);
}

std::optional<platform::RunningApp> otherFront() {
    auto* desktop = Elements::detail::desktop();
    if (!desktop) return std::nullopt;
    auto front = desktop->application().frontApplication();
    if (!front || front->pid == desktop->application().processId()) return std::nullopt;
    return front;
}

platform::AXRef frontWindow(const platform::AXRef& application) {
    if (auto focused = elementOf(application, "AXFocusedWindow")) return focused;
    return elementOf(application, "AXMainWindow");
}

platform::AXRef scrollArea(const platform::AXRef& window, int pid) {
    if (auto bounds = frame(window)) {
        auto app = ax().application(pid);
        auto hit = app ? ax().elementAtPosition(app, Point{bounds->minX() + bounds->size.width / 2,
                                                           bounds->minY() + bounds->size.height / 2})
                       : nullptr;
        if (hit && ax().pid(hit) == pid) {
            if (auto area = climbToArea(hit)) return area;
        }
    }
    return largestArea(window);
}

Result down(double pages) {
    auto front = otherFront();
    if (!front) return failed(kNoOtherApp);
    const std::string nothingHere = "no scrollable area in " + appName(*front);
    auto window = frontWindow(ax().application(front->pid));
    if (!window) return failed(nothingHere);
    auto area = scrollArea(window, front->pid);
    if (!area) return failed(nothingHere);
    auto bar = elementOf(area, "AXVerticalScrollBar");
    if (!bar) return failed(kNoScrollBar);
    auto value = read(bar, "AXValue");
    const auto* at = value ? std::get_if<double>(&*value) : nullptr;
    if (!at || !ax().isSettable(bar, "AXValue")) return failed(kBarNotMovable);
    if (*at >= kAtEnd) return failed("already at the end");
    return moved(ax().setAttribute(bar, "AXValue", std::min(*at + step(pages, area, bar), 1.0)));
}

}  // namespace nimbo::AutoScroll
