// Finding the text field under a point, giving an element keyboard focus, and
// clicking into a box that accessibility cannot see.
#include "actions/Actions.h"
#include "actions/Desktop.h"
#include "screen/Roles.h"

namespace nimbo::Actions {
namespace {

// How long the application under a point has to answer.
constexpr double kPointTimeout = 0.5;
constexpr double kSwitchTimeout = 0.3;
// The element a point hits is often a run of text inside the field.
constexpr int kFieldClimb = 6;
// Waits for another application to catch up.
constexpr double kAfterActivating = 0.15;
constexpr double kAfterFocusing = 0.12;
constexpr double kAfterClicking = 0.15;

const std::string kScreenChanged = "the screen changed — ask me again";
const std::string kSomethingElse = "something else is there now — ask me again";
const std::string kNoWindow = "I can't see a window there — click in the box, then ask me again";
const std::string kNotABox = "that's a button, not a box — click in the box, then ask me again";

void pause(double seconds) {
    desktop().clock().sleep(seconds);
}

// The owner of the window under the point, unless it is the shell itself.
std::optional<int> otherOwner(Point point) {
    auto owner = Elements::windowOwner(point);
    if (!owner || *owner == desktop().application().processId()) return std::nullopt;
    return owner;
}

// A fresh application element that gives up after `timeout`.
platform::AXRef application(int pid, double timeout) {
    auto& ax = desktop().accessibility();
    auto app = ax.application(pid);
    if (app) ax.setMessagingTimeout(app, timeout);
    return app;
}

std::optional<std::string> roleOf(const platform::AXRef& element) {
    auto role = desktop().accessibility().copy(element, "AXRole");
    return role ? Elements::str(*role) : std::nullopt;
}

void bringForward(int pid) {
    auto& apps = desktop().runningApps();
    if (apps.isActive(pid)) return;
    apps.activate(pid);
    pause(kAfterActivating);
}

Point centre(const Rect& rect) {
    return {rect.minX() + rect.size.width / 2, rect.minY() + rect.size.height / 2};
}

}  // namespace

const std::set<std::string>& fieldRoles() {
    static const std::set<std::string> roles{"AXTextField", "AXTextArea", "AXComboBox", "AXSearchField"};
    return roles;
}

const std::set<std::string>& controlRoles() {
    static const std::set<std::string> roles{
        "AXButton",      "AXLink",       "AXMenuItem", "AXMenuBarItem",        "AXCheckBox",    "AXRadioButton",
        "AXPopUpButton", "AXMenuButton", "AXTab",      "AXDisclosureTriangle", "AXIncrementor", "AXSlider"};
    return roles;
}

std::optional<Elements::Target> field(Point point) {
    auto owner = otherOwner(point);
    if (!owner) return std::nullopt;
    auto app = application(*owner, kPointTimeout);
    if (!app) return std::nullopt;
    auto& ax = desktop().accessibility();
    auto element = ax.elementAtPosition(app, point);
    for (int looked = 1; element; ++looked) {
        if (auto role = roleOf(element); role && fieldRoles().contains(*role)) {
            auto frame = Elements::frameOf(element);
            if (!frame) return std::nullopt;
            return Elements::Target{element, frame, *frame, Elements::word(*role, std::nullopt), ""};
        }
        if (looked == kFieldClimb) break;
        auto parent = ax.copy(element, "AXParent");
        const auto* up = parent ? std::get_if<platform::AXRef>(&*parent) : nullptr;
        if (!up) return std::nullopt;
        element = *up;
    }
    return std::nullopt;
}

bool isFocused(const platform::AXRef& element) {
    auto& ax = desktop().accessibility();
    return element && ax.same(ax.focusedElement(), element);
}

Outcome focus(const Elements::Target& target) {
    if (!target.ax) return {false, "that field isn't on screen any more"};
    if (!stillThere(target)) return {false, kScreenChanged};
    auto& ax = desktop().accessibility();
    if (auto pid = ax.pid(target.ax)) bringForward(*pid);
    ax.setAttribute(target.ax, "AXFocused", true);
    pause(kAfterFocusing);
    if (isFocused(target.ax)) return {true, std::nullopt};
    // Some fields only take focus from a click; only where it lands on them.
    auto point = centre(target.rect);
    if (!lands(target.ax, point)) return {false, kSomethingElse};
    click(point);
    pause(kAfterClicking);
    return {true, std::nullopt};
}

bool blindApp(Point point) {
    auto owner = otherOwner(point);
    if (!owner) return false;
    auto app = application(*owner, kSwitchTimeout);
    if (!app) return false;
    auto manual = desktop().accessibility().copy(app, "AXManualAccessibility");
    const auto* on = manual ? std::get_if<bool>(&*manual) : nullptr;
    return on && !*on;
}

Outcome clickToFocus(Point point) {
    auto owner = otherOwner(point);
    if (!owner || !desktop().runningApps().running(*owner)) return {false, kNoWindow};
    if (auto app = application(*owner, kPointTimeout)) {
        auto hit = desktop().accessibility().elementAtPosition(app, point);
        if (auto role = hit ? roleOf(hit) : std::nullopt; role && controlRoles().contains(*role)) {
            return {false, kNotABox};
        }
    }
    bringForward(*owner);
    // The user's pointer goes back where it was, so the click doesn't move it.
    auto& input = desktop().syntheticInput();
    auto was = input.pointer();
    click(point);
    if (was) input.warp(*was);
    pause(kAfterClicking);
    return {true, std::nullopt};
}

}  // namespace nimbo::Actions
