#include <algorithm>
#include <cmath>

#include "screen/Desktop.h"
#include "screen/Elements.h"
#include "screen/Rects.h"

namespace nimbo::Elements {

namespace {

constexpr int kMostWindows = 4;
constexpr double kWindowsBudget = 1.6;
constexpr double kFirstWindowBudget = 1.1;
constexpr double kLaterWindowBudget = 0.35;
constexpr double kNarrowest = 200;
constexpr double kLowest = 120;
// How far an accessibility window's frame may be from the listed window's.
constexpr double kWindowMatch = 6;

std::optional<Rect> titledFrame(const std::vector<platform::AXValue>& values, std::string& title) {
    auto text = str(values[0]);
    if (!text) return std::nullopt;
    title = *text;
    return detail::frame(values[1], values[2]);
}

Window trustedWindow(std::vector<Node> nodes) {
    Rect frame = nodes.front().rect;
    for (const auto& node : nodes) frame = Rects::unite(frame, node.rect);
    return {frame, std::move(nodes), true};
}

// The open menu's items, from the menu bar item whose menu is open.
std::vector<Node> openMenu(platform::Accessibility& ax, const platform::AXValue& itemChildren, const Rect& bounds) {
    std::vector<Node> nodes;
    auto menus = children(itemChildren);
    if (menus.empty()) return nodes;
    auto items = ax.copy(menus.front(), "AXChildren");
    if (!items) return nodes;
    for (const auto& item : children(*items)) {
        std::string title;
        auto frame = titledFrame(many(item, {"AXTitle", "AXPosition", "AXSize"}), title);
        if (!frame || frame->size.width <= 2 || frame->size.height <= 2 || !Rects::intersects(*frame, bounds)) continue;
        nodes.push_back({"AXMenuItem", std::nullopt, title, *frame, item, *frame});
    }
    return nodes;
}

void addMenus(platform::Platform& platform, const Rect& bounds, std::vector<Window>& windows) {
    auto front = detail::frontPid(platform);
    if (!front || *front == platform.application().processId()) return;
    auto app = axApp(*front);
    if (!app) return;
    auto& ax = platform.accessibility();
    auto bar = ax.copy(app, "AXMenuBar");
    const auto* barElement = bar ? std::get_if<platform::AXRef>(&*bar) : nullptr;
    if (!barElement || !*barElement) return;
    auto items = ax.copy(*barElement, "AXChildren");
    if (!items) return;
    std::vector<Node> barNodes;
    std::vector<Node> menuNodes;
    for (const auto& item : children(*items)) {
        auto values = many(item, {"AXTitle", "AXPosition", "AXSize", "AXSelected", "AXChildren"});
        std::string title;
        auto frame = titledFrame(values, title);
        if (!frame) continue;
        if (Rects::intersects(*frame, bounds))
            barNodes.push_back({"AXMenuBarItem", std::nullopt, title, *frame, item, *frame});
        const auto* selected = std::get_if<bool>(&values[3]);
        if (selected && *selected) {
            auto open = openMenu(ax, values[4], bounds);
            menuNodes.insert(menuNodes.end(), open.begin(), open.end());
        }
    }
    if (!menuNodes.empty()) windows.push_back(trustedWindow(std::move(menuNodes)));
    if (!barNodes.empty()) windows.push_back(trustedWindow(std::move(barNodes)));
}

platform::AXRef matchingWindow(int pid, const Rect& listed) {
    for (const auto& [element, frame] : axWindows(pid)) {
        double off = std::max({std::abs(frame.minX() - listed.minX()), std::abs(frame.minY() - listed.minY()),
                               std::abs(frame.size.width - listed.size.width),
                               std::abs(frame.size.height - listed.size.height)});
        if (off <= kWindowMatch) return element;
    }
    return nullptr;
}

bool visible(const platform::WindowInfo& window, int self) {
    return window.ownerPid != self && (!window.alpha || *window.alpha > 0) && window.bounds;
}

}  // namespace

Walked walkWindows(const Rect& bounds) {
    Walked walked;
    auto* platform = detail::desktop();
    if (!platform) return walked;
    auto& clock = platform->clock();
    const double start = clock.now();
    addMenus(*platform, bounds, walked.windows);

    auto list = platform->windowList().onScreen();
    if (!list) return walked;
    const int self = platform->application().processId();
    for (const auto& window : *list) {
        if (visible(window, self)) walked.surfaces.push_back(*window.bounds);
    }
    int taken = 0;
    for (const auto& window : *list) {
        if (taken >= kMostWindows || clock.now() - start >= kWindowsBudget) break;
        if (!visible(window, self) || window.layer != 0) continue;
        const Rect& listed = *window.bounds;
        if (listed.size.width < kNarrowest || listed.size.height < kLowest || !Rects::intersects(listed, bounds))
            continue;
        std::vector<Node> nodes;
        if (auto element = matchingWindow(window.ownerPid, listed)) {
            double left = kWindowsBudget - (clock.now() - start);
            double budget = std::min(left, taken == 0 ? kFirstWindowBudget : kLaterWindowBudget);
            nodes = walk(element, *Rects::intersection(listed, bounds), budget);
        }
        walked.windows.push_back({listed, std::move(nodes), false});
        ++taken;
    }
    return walked;
}

}  // namespace nimbo::Elements
