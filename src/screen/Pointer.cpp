#include <algorithm>

#include "base/Text.h"
#include "screen/Desktop.h"
#include "screen/Elements.h"
#include "screen/Roles.h"

namespace nimbo::Elements {

namespace {

// The pointer asks on every move, so it waits less than a walk does.
constexpr double kPointerTimeout = 0.25;
constexpr int kParentsClimbed = 3;
constexpr size_t kLongestPointerName = 40;

std::optional<std::string> role(platform::Accessibility& ax, const platform::AXRef& element) {
    auto value = ax.copy(element, "AXRole");
    return value ? str(*value) : std::nullopt;
}

}  // namespace

MaybeJson atPointer() {
    auto* platform = detail::desktop();
    if (!platform) return std::nullopt;
    auto screens = platform->screens().screens();
    if (screens.empty()) return std::nullopt;
    auto mouse = platform->screens().mouseLocation();
    Point point{mouse.x, screens.front().frame.maxY() - mouse.y};

    std::vector<int> candidates;
    if (auto owner = windowOwner(point)) candidates.push_back(*owner);
    auto front = detail::frontPid(*platform);
    if (front && std::find(candidates.begin(), candidates.end(), *front) == candidates.end()) {
        candidates.push_back(*front);
    }
    auto& ax = platform->accessibility();
    platform::AXRef element;
    for (int pid : candidates) {
        auto app = ax.application(pid);
        if (!app) continue;
        ax.setMessagingTimeout(app, kPointerTimeout);
        if ((element = ax.elementAtPosition(app, point))) break;
    }
    if (!element) return std::nullopt;

    auto current = role(ax, element);
    for (int climbed = 0; climbed < kParentsClimbed && !(current && named(*current)); ++climbed) {
        auto parent = ax.copy(element, "AXParent");
        const auto* up = parent ? std::get_if<platform::AXRef>(&*parent) : nullptr;
        if (!up || !*up) break;
        element = *up;
        ax.setMessagingTimeout(element, kPointerTimeout);
        current = role(ax, element);
    }
    if (!current || !named(*current) || ax.pid(element) == platform->application().processId()) return std::nullopt;

    auto values = many(element, {"AXTitle", "AXDescription", "AXSubrole"});
    auto name = str(values[0]);
    if (!name) name = str(values[1]);
    if (!name || Text::characterCount(*name) > kLongestPointerName) return std::nullopt;
    return Json{{"name", *name}, {"role", word(*current, str(values[2]))}};
}

}  // namespace nimbo::Elements
