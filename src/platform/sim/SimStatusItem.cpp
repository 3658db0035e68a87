#include "platform/sim/SimStatusItem.h"

#include <algorithm>

namespace nimbo::sim {

const platform::MenuItem* findItem(const std::vector<platform::MenuItem>& items,
                                   const std::vector<std::string>& titles) {
    const auto* level = &items;
    const platform::MenuItem* found = nullptr;
    for (const auto& title : titles) {
        if (!level) return nullptr;
        auto at = std::find_if(level->begin(), level->end(),
                               [&](const auto& item) { return !item.separator && item.title == title; });
        if (at == level->end()) return nullptr;
        found = &*at;
        level = &at->submenu;
    }
    return found;
}

bool SimStatusItem::setImage(const std::string& resource, const std::string& description) {
    if (std::find(resources.begin(), resources.end(), resource) == resources.end()) return false;
    image = resource;
    accessibilityDescription = description;
    return true;
}

bool SimStatusItem::choose(const std::vector<std::string>& titles) const {
    const auto* item = findItem(menu, titles);
    if (!item || !item->enabled || !item->perform) return false;
    // The action may rebuild the menu, which drops the item it came from.
    auto perform = item->perform;
    perform();
    return true;
}

std::vector<std::string> SimStatusItem::titles() const {
    std::vector<std::string> out;
    for (const auto& item : menu) out.push_back(item.separator ? "-" : item.title);
    return out;
}

}  // namespace nimbo::sim
