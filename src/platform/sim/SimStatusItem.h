#pragma once
// The status item and main menu as the simulated desktop shows them: what
// the shell last asked for, and a way to choose an item by its titles.
#include <optional>
#include <string>
#include <vector>

#include "platform/StatusItem.h"

namespace nimbo::sim {

// The item reached by following `titles` through submenus; null when absent.
const platform::MenuItem* findItem(const std::vector<platform::MenuItem>& items,
                                   const std::vector<std::string>& titles);

class SimStatusItem : public platform::StatusItem {
public:
    bool setImage(const std::string& resource, const std::string& description) override;
    void setSymbol(const std::string& name, const std::string& description) override {
        symbol = name;
        accessibilityDescription = description;
    }
    void setTitle(const std::string& text, bool isAlert) override {
        title = text;
        alert = isAlert;
    }
    void setToolTip(const std::optional<std::string>& text) override { toolTip = text; }
    void setMenu(const std::vector<platform::MenuItem>& items) override {
        menu = items;
        ++menus;
    }
    void setSharingType(platform::SharingType type) override { sharing = type; }

    // Chooses the item as the user would; false when it is absent or disabled.
    bool choose(const std::vector<std::string>& titles) const;
    // The titles of the top level, separators as "-".
    std::vector<std::string> titles() const;

    std::vector<std::string> resources;  // the images the shell's resources hold
    std::string image, symbol, accessibilityDescription, title;
    bool alert = false;
    std::optional<std::string> toolTip;
    std::vector<platform::MenuItem> menu;
    int menus = 0;
    std::optional<platform::SharingType> sharing;
};

class SimMenuBar : public platform::MenuBar {
public:
    void install(const std::vector<platform::MenuItem>& items) override { menus = items; }
    std::vector<platform::MenuItem> menus;
};

}  // namespace nimbo::sim
