// Whether a listed control is still where the user saw it, and clicks that
// only go where they reach that very control.
#include <cmath>

#include "actions/Actions.h"
#include "actions/Desktop.h"

namespace nimbo::Actions {
namespace {

constexpr double kMoved = 40;
constexpr double kPointTimeout = 0.5;
constexpr int kLandClimb = 8;

Point centre(const Rect& rect) {
    return {rect.minX() + rect.size.width / 2, rect.minY() + rect.size.height / 2};
}

}  // namespace

const std::set<std::string>& typable() {
    static const std::set<std::string> roles{"text field", "text area", "combo box"};
    return roles;
}

bool stillThere(const Elements::Target& target) {
    if (!target.ax) return false;
    auto& ax = desktop().accessibility();
    if (target.role == "menu item") {
        auto title = ax.copy(target.ax, "AXTitle");
        return title && std::holds_alternative<std::string>(*title);
    }
    auto now = Elements::frameOf(target.ax);
    if (!now) return false;
    if (!target.axFrame) return true;
    auto a = centre(*now);
    auto b = centre(*target.axFrame);
    return std::abs(a.x - b.x) <= kMoved && std::abs(a.y - b.y) <= kMoved;
}

bool lands(const platform::AXRef& element, Point point) {
    auto& ax = desktop().accessibility();
    auto pid = ax.pid(element);
    if (!pid || Elements::windowOwner(point) != pid) return false;
    auto app = ax.application(*pid);
    if (!app) return false;
    ax.setMessagingTimeout(app, kPointTimeout);
    auto hit = ax.elementAtPosition(app, point);
    for (int compared = 0; hit && compared < kLandClimb; ++compared) {
        if (ax.same(hit, element)) return true;
        auto parent = ax.copy(hit, "AXParent");
        const auto* up = parent ? std::get_if<platform::AXRef>(&*parent) : nullptr;
        if (!up) return false;
        hit = *up;
    }
    return false;
}

void click(Point point) {
    lastOwnClick = desktop().clock().now();
    desktop().syntheticInput().click(point);
}

}  // namespace nimbo::Actions
