// Pressing a control for the user: never one whose name says it acts for
// them outward or for good, only while it is still where they saw it, and a
// synthetic click only where it would land on that very control.
#include <cmath>
#include <regex>

#include "actions/Actions.h"
#include "actions/Desktop.h"
#include "base/Log.h"
#include "screen/Rects.h"

namespace nimbo::Actions {
namespace {

// How far a control may have moved since it was listed and still be the one.
constexpr double kMovedPoints = 40.0;
// An application just brought to the front gets this long to put its window there.
constexpr double kActivationSeconds = 0.15;
// How long the application under the click point has to name what is there.
constexpr double kHitTestTimeout = 0.5;
// The element hit and up to seven of its ancestors.
constexpr int kHitComparisons = 8;

// Brings the element's application to the front so that a click reaches it.
void activateOwner(const platform::AXRef& element) {
    auto pid = desktop().accessibility().pid(element);
    if (!pid) return;
    auto& apps = desktop().runningApps();
    if (apps.isActive(*pid)) return;
    apps.activate(*pid);
    desktop().clock().sleep(kActivationSeconds);
}

Outcome clickInstead(const Elements::Target& target) {
    activateOwner(target.ax);
    const auto point = Rects::centre(target.rect);
    if (!lands(target.ax, point)) return {false, "something else is there now — ask me again"};
    click(point);
    return {true, std::nullopt};
}

}  // namespace

Outcome press(const std::optional<Elements::Target>& target) {
    if (!target || !target->ax) return {false, "I can only press a control I can name"};
    // Judged again here: the held offer may be pressed long after it was staged.
    if (std::regex_search(target->name, theirs())) return {false, "that one's yours to press"};
    if (!stillThere(*target)) return {false, "the screen changed — ask me again"};
    const auto result = desktop().accessibility().performAction(target->ax, "AXPress");
    if (result == platform::AXError::success) return {true, std::nullopt};
    // A menu item that can't be pressed is not clicked: its menu may have closed under the point.
    if (result == platform::AXError::actionUnsupported && target->role != "menu item") return clickInstead(*target);
    Log::line("nimbo: press refused a click fallback (AX error " + std::to_string(static_cast<int>(result)) + ")");
    if (result == platform::AXError::cannotComplete) {
        // It may have acted all the same.
        return {false, "it didn't answer — check whether it worked before asking again"};
    }
    return {false, "I couldn't press that one"};
}

bool stillThere(const Elements::Target& target) {
    if (!target.ax) return false;
    if (target.role == "menu item") {
        auto title = desktop().accessibility().copy(target.ax, "AXTitle");
        return title && std::holds_alternative<std::string>(*title);
    }
    auto now = Elements::frameOf(target.ax);
    if (!now) return false;
    if (!target.axFrame) return true;
    const auto was = Rects::centre(*target.axFrame);
    const auto is = Rects::centre(*now);
    return std::abs(is.x - was.x) <= kMovedPoints && std::abs(is.y - was.y) <= kMovedPoints;
}

bool lands(const platform::AXRef& element, Point point) {
    auto& ax = desktop().accessibility();
    auto pid = ax.pid(element);
    if (!pid) return false;
    // Another window over the point would take the click.
    if (Elements::windowOwner(point) != pid) return false;
    auto app = ax.application(*pid);
    if (!app) return false;
    ax.setMessagingTimeout(app, kHitTestTimeout);
    auto hit = ax.elementAtPosition(app, point);
    for (int compared = 0; hit && compared < kHitComparisons; ++compared) {
        if (ax.same(hit, element)) return true;
        auto parent = ax.copy(hit, "AXParent");
        const auto* up = parent ? std::get_if<platform::AXRef>(&*parent) : nullptr;
        hit = up ? *up : platform::AXRef{};
    }
    return false;
}

void click(Point point) {
    lastOwnClick = desktop().clock().now();
    desktop().syntheticInput().click(point);
}

}  // namespace nimbo::Actions
